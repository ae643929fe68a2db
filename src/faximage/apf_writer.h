// Writes an APF file by the writing protocol: provisional file header,
// per page a provisional page header, the data, then the completed page
// header; at the end the completed file header. Output is buffered in
// 4096-byte blocks. Every method returns 0 or a negative code.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "apf_file.h"

namespace corvane::faximage {

class ApfWriter {
  public:
    enum class Mode {
        // Written under a temporary name and renamed by Finish: a failed or
        // abandoned conversion leaves no file at all.
        Atomic,
        // Written in place; the file header is rewritten after every page,
        // so the file stays a valid fax of its complete pages if the
        // writer dies (received faxes).
        InPlace,
    };

    ApfWriter() = default;
    ApfWriter(const ApfWriter&) = delete;
    ApfWriter& operator=(const ApfWriter&) = delete;
    ~ApfWriter();  // abandons an unfinished file

    int Create(const std::string& path, Mode mode);
    int BeginPage(std::uint16_t pageFlags);
    int Append(const std::uint8_t* data, std::size_t size);
    // One counted-line record: 16-bit length, then the bytes.
    int AppendLineRecord(const std::uint8_t* data, std::uint16_t size);
    int EndPage();
    // Writes header (its page count and first page offset are the writer's),
    // closes, and renames in Atomic mode.
    int Finish(ApfFileHeader header);
    // Closes and deletes the file.
    void Abandon();

    bool IsOpen() const { return file_ != nullptr; }
    int PageCount() const { return pageCount_; }
    std::uint32_t CurrentPageLength() const { return pageLength_; }

  private:
    int Append(const std::uint8_t* data, std::size_t size, bool pageData);
    // Ends the file after an I/O error: an Atomic file is deleted, an
    // InPlace one is kept with the pages completed so far.
    int Fail(int code);
    int Flush();
    int WriteAt(long offset, const std::uint8_t* data, std::size_t size);

    std::FILE* file_ = nullptr;
    std::string path_;
    std::string writePath_;
    Mode mode_ = Mode::Atomic;
    std::vector<std::uint8_t> buffer_;
    long pageHeaderOffset_ = -1;
    long fileEnd_ = 0;
    std::uint16_t pageFlags_ = 0;
    std::uint32_t pageLength_ = 0;
    int pageCount_ = 0;
};

}  // namespace corvane::faximage
