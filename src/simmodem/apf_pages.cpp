#include "simmodem/apf_pages.h"

#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>

#include "faximage/apf_file.h"
#include "faximage/apf_writer.h"
#include "faximage/fax_errors.h"

namespace corvane::simmodem {

using namespace faximage;

namespace {

// Joins the (u16 length, bytes) records of a counted-line page.
bool JoinRecords(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out) {
    std::size_t pos = 0;
    while (pos < size) {
        if (size - pos < 2)
            return false;
        const std::size_t length = data[pos] | static_cast<std::size_t>(data[pos + 1]) << 8;
        pos += 2;
        if (length > size - pos)
            return false;
        out.insert(out.end(), data + pos, data + pos + length);
        pos += length;
    }
    return true;
}

}  // namespace

int ReadApfPages(const std::string& path, std::vector<FaxPage>& pages) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return ecFileNotFound;
    const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
    if (file.size() < kApfFileHeaderSize)
        return ecFaxBadFormat;
    const ApfFileHeader header = DecodeFileHeader(file.data());
    if (header.signature != kApfSignature)
        return ecFaxBadFormat;
    pages.clear();
    std::size_t offset = header.firstPageOffset;
    for (int page = 0; page < header.pageCount; ++page) {
        if (offset > file.size() || file.size() - offset < kApfPageHeaderSize)
            return ecFaxBadFormat;
        const ApfPageHeader pageHeader = DecodePageHeader(file.data() + offset);
        offset += kApfPageHeaderSize;
        if (pageHeader.dataLength > file.size() - offset)
            return ecFaxBadFormat;
        FaxPage fax;
        fax.fine = (pageHeader.pageFlags & pfFine) != 0;
        fax.wide = (pageHeader.pageFlags & pfWide) != 0;
        const std::uint8_t* data = file.data() + offset;
        if (pageHeader.pageFlags & pfCountedLines) {
            if (!JoinRecords(data, pageHeader.dataLength, fax.data))
                return ecFaxBadFormat;
        } else {
            fax.data.assign(data, data + pageHeader.dataLength);
        }
        pages.push_back(std::move(fax));
        offset += pageHeader.dataLength;
    }
    return 0;
}

int WriteApfPages(const std::string& path, const std::vector<FaxPage>& pages,
                  const std::string& stationId) {
    ApfWriter writer;
    if (int code = writer.Create(path, ApfWriter::Mode::InPlace))
        return code;
    for (const FaxPage& page : pages) {
        const auto flags =
            static_cast<std::uint16_t>((page.fine ? pfFine : 0) | (page.wide ? pfWide : 0));
        if (int code = writer.BeginPage(flags))
            return code;
        if (int code = writer.Append(page.data.data(), page.data.size()))
            return code;
        if (int code = writer.EndPage())
            return code;
    }
    ApfFileHeader header = NewFileHeader();
    SetStationId(header, stationId);
    const std::time_t now = std::time(nullptr);
    if (const std::tm* local = std::localtime(&now))
        header.dateStamp = PackDateStamp(*local);
    return writer.Finish(header);
}

}  // namespace corvane::simmodem
