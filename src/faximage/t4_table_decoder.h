// The fast recogniser: bits are gathered in an accumulator and each code is
// found by one look-up of the next 13 bits. It delivers the same lines and
// bad-code counts as the tree walk for any input.
#pragma once

#include <cstdint>

#include "t4_codec.h"
#include "t4_line_assembler.h"

namespace corvane::faximage {

class T4TableDecoder final : public T4AssemblingDecoder<T4TableDecoder> {
  public:
    explicit T4TableDecoder(LineHandler handler);

    void StartPage() override;
    void DecodeByte(std::uint8_t byte) override;
    std::size_t DecodeBlock(const std::uint8_t* data, std::size_t size) override;

  private:
    bool DecodeBuffered(bool stopAtPageEnd);

    std::uint64_t bits_ = 0;  // undecoded bits, the oldest in bit 0; above bitCount_ all zero
    int bitCount_ = 0;
    bool skippingOnes_ = false;  // after a dead end, until the next 0 bit
};

}  // namespace corvane::faximage
