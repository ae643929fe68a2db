// The files a send session reads: the APF fax or cover file page by page,
// and the header text with its tokens expanded.
#pragma once

#include <cstdint>
#include <fstream>
#include <span>
#include <string>
#include <string_view>

#include "faximage/apf_file.h"

namespace corvane::engine {

// The file code of a failed open (errno cleared before it); never 0.
int OpenFailureCode();

// The name as opened: one without an extension gets "." + ext.
std::string ApfFileName(const std::string& name, std::string_view ext);

// Reads an APF file for sending; every read is checked against the file's
// own lengths, so a damaged file ends in a code, never a read past its end.
class ApfPageReader {
  public:
    // 0, -8001 when the file is not an APF file, or a file code.
    int Open(const std::string& path);
    void Close();
    bool IsOpen() const { return file_.is_open(); }
    const faximage::ApfFileHeader& Header() const { return header_; }

    // -100 for a page outside 1..PageCount or a chain that runs past the end.
    int SeekPage(int page);
    // Reads the page header at the position (after SeekPage).
    int ReadPageHeader(faximage::ApfPageHeader& page);
    // Exactly bytes.size() bytes of page data; -100 when the file ends first.
    int Read(std::span<std::uint8_t> bytes);

  private:
    std::ifstream file_;
    faximage::ApfFileHeader header_;
    std::uint64_t size_ = 0;
};

struct HeaderValues {
    std::string date;
    std::string time;
    std::string sender;
    std::string recipient;
    std::string title;
    std::string stationID;
    int pages = 0;  // fax pages + cover pages
    int page = 0;   // the page being sent, counting the cover
};

// Each "$x" token (up to the next blank) replaced by its value; an unknown
// token is removed. Inserted text is not scanned again.
std::string ExpandHeader(std::string_view text, const HeaderValues& values);

// Today's date and the time in the user's locale formats.
std::string LocalDateText();
std::string LocalTimeText();

}  // namespace corvane::engine
