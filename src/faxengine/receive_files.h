// The file side of receiving: the APF file a call's pages go into, the
// default file names, and the cleaning of what the far end calls itself.
//
// Pages are written in place and the file header is rewritten after every
// completed page, so whatever happens to the call the file on disk is a
// valid fax of its complete pages. A page that is cut short or refused is
// cut off the file again, so a repeated page replaces it.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

#include "faximage/apf_file.h"

namespace corvane::engine {

enum class ReceiveNaming { rnNone, rnNumbered, rnDated };

// "FAX0001.APF" (numbered) or "12310001.APF" (dated, month and day) in dir,
// the first name no file has yet; "NONAME.APF" when all 9999 exist; the
// none mode always gives "noname.apf".
std::string DefaultReceiveName(ReceiveNaming naming, const std::string& dir, const std::string& ext,
                               const std::tm& today);

// A far end's identifier as it may reach a file header, a log or the
// owner: characters outside printable ASCII become '?', at most 20 kept.
std::string SafeRemoteID(std::string_view id);

// Follows T.4 page data (least significant bit first) to tell whether it
// held the end-of-page code, six end-of-line codes in a row: a page whose
// carrier was lost mid-way does not. Once seen, the end stays: a real
// demodulator hands over a tail of ones and noise after it as the carrier
// dies, which is no part of the page.
class EndOfPageWatch {
  public:
    void Reset() { zeros_ = 0, eolRun_ = 0; }
    void Add(std::uint8_t byte);
    bool PageEnded() const { return eolRun_ >= kEolsInRtc; }

  private:
    static constexpr int kEolsInRtc = 6;
    int zeros_ = 0;
    int eolRun_ = 0;
};

// The verdict on a caller's training check: it passes when fewer than one
// byte in ten is non-zero. The last bytes before the carrier's loss are not
// judged: a real demodulator hands over a tail of ones and noise there.
class TrainingCheckTally {
  public:
    void Reset() { count_ = 0, nonzero_ = 0; }
    void Add(std::uint8_t byte);
    // At least one judged byte, and under the limit.
    bool Passes() const;

  private:
    static constexpr std::size_t kTailBytes = 16;
    static constexpr std::size_t kNonzeroLimitPercent = 10;
    std::array<std::uint8_t, kTailBytes> recent_{};
    std::size_t count_ = 0;
    std::size_t nonzero_ = 0;
};

class ReceiveFile {
  public:
    static constexpr std::size_t kBlockSize = 4096;

    ReceiveFile() = default;
    ReceiveFile(const ReceiveFile&) = delete;
    ReceiveFile& operator=(const ReceiveFile&) = delete;
    ~ReceiveFile() { Close(); }

    // Creates (replacing) the file with a header of no pages. 0 or a file code.
    int Create(const std::string& path, const std::string& remoteID);
    // A page header with no data yet at the end of the file.
    int BeginPage(std::uint16_t pageFlags);
    // Buffered; written in blocks of 4096 bytes.
    int Store(std::uint8_t byte);
    int Flush();
    // Completes the page: its data length, the page count, station and date.
    int EndPage(const std::string& remoteID);
    // Cuts the page in progress off the file.
    int DiscardPage();
    // Discards a page in progress and closes; complete pages stay.
    void Close();

    bool IsOpen() const { return file_ != nullptr; }
    bool PageOpen() const { return pageStart_ >= 0; }
    int PageCount() const { return header_.pageCount; }
    // Bytes of the page in progress, stored or buffered.
    std::uint32_t PageLength() const { return pageLength_; }
    const std::string& Path() const { return path_; }

  private:
    int WriteAt(long offset, const void* bytes, std::size_t size);
    int WriteHeader(const std::string& remoteID);
    int Failed(int code);

    std::FILE* file_ = nullptr;
    std::string path_;
    faximage::ApfFileHeader header_;
    std::uint8_t buffer_[kBlockSize];
    std::size_t buffered_ = 0;
    long end_ = 0;         // end of what was written
    long pageStart_ = -1;  // offset of the open page's header
    std::uint16_t pageFlags_ = 0;
    std::uint32_t pageLength_ = 0;
};

}  // namespace corvane::engine
