// The reference recogniser: one binary tree per colour, walked a bit at a time.
#pragma once

#include <array>
#include <cstdint>

#include "t4_codec.h"
#include "t4_line_assembler.h"

namespace corvane::faximage {

// Inner node: indices of the 0-child and the 1-child. Leaf: (-1, run) for a
// run code, (-2, 0) for the EOL. A node other than the root whose first
// number is 0 is a dead end.
struct DecodeTreeNode {
    std::int16_t first = 0;
    std::int16_t second = 0;
};

inline constexpr int kDecodeTreeSize = 307;
inline constexpr int kDecodeTreeRunLeaf = -1;
inline constexpr int kDecodeTreeEolLeaf = -2;
// The node reached by eleven 0 bits; its 0-child is itself so that fill
// bits before an EOL are absorbed.
inline constexpr int kDecodeTreeFillNode = 11;

using DecodeTree = std::array<DecodeTreeNode, kDecodeTreeSize>;

struct DecodeTrees {
    DecodeTree white;
    DecodeTree black;
    int usedNodes = 0;  // per tree
};

// Depth-first, 0-branch first, nodes numbered in creation order.
DecodeTrees BuildDecodeTrees();

class T4TreeDecoder final : public T4AssemblingDecoder<T4TreeDecoder> {
  public:
    explicit T4TreeDecoder(LineHandler handler);

    void StartPage() override;
    void DecodeByte(std::uint8_t byte) override;

  private:
    DecodeTrees trees_;
    int node_ = 0;
    bool bad_ = false;
};

}  // namespace corvane::faximage
