#include "faxengine/send_files.h"

#include <cctype>
#include <cerrno>
#include <ctime>

#include "faximage/fax_errors.h"

namespace corvane::engine {

namespace {
constexpr int ecReadBeyondEnd = -100;
}  // namespace

int OpenFailureCode() {
    const int code = errno != 0 ? FileErrorCode(errno) : 0;
    return code != 0 ? code : ecFileNotFound;
}

std::string ApfFileName(const std::string& name, std::string_view ext) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.find('/', dot) != std::string::npos) {
        return name + "." + std::string(ext);
    }
    return name;
}

int ApfPageReader::Open(const std::string& path) {
    Close();
    if (path.empty()) {
        return ecFileNotFound;
    }
    errno = 0;
    file_.open(path, std::ios::binary);
    if (!file_.is_open()) {
        return OpenFailureCode();
    }
    file_.seekg(0, std::ios::end);
    size_ = static_cast<std::uint64_t>(file_.tellg());
    file_.seekg(0);
    std::uint8_t bytes[faximage::kApfFileHeaderSize];
    if (size_ < sizeof bytes || !file_.read(reinterpret_cast<char*>(bytes), sizeof bytes)) {
        Close();
        return ecFaxBadFormat;
    }
    header_ = faximage::DecodeFileHeader(bytes);
    if (header_.signature != faximage::kApfSignature) {
        Close();
        return ecFaxBadFormat;
    }
    return 0;
}

void ApfPageReader::Close() {
    if (file_.is_open()) {
        file_.close();
    }
    file_.clear();
}

int ApfPageReader::SeekPage(int page) {
    if (page < 1 || page > header_.pageCount) {
        return ecReadBeyondEnd;
    }
    std::uint64_t offset = header_.firstPageOffset;
    for (int skipped = 1; skipped < page; ++skipped) {
        file_.clear();
        file_.seekg(static_cast<std::streamoff>(offset));
        faximage::ApfPageHeader header;
        if (const int code = ReadPageHeader(header); code != 0) {
            return code;
        }
        offset += faximage::kApfPageHeaderSize + std::uint64_t{header.dataLength};
    }
    if (offset + faximage::kApfPageHeaderSize > size_) {
        return ecReadBeyondEnd;
    }
    file_.clear();
    file_.seekg(static_cast<std::streamoff>(offset));
    return 0;
}

int ApfPageReader::ReadPageHeader(faximage::ApfPageHeader& page) {
    std::uint8_t bytes[faximage::kApfPageHeaderSize];
    if (const int code = Read(bytes); code != 0) {
        return code;
    }
    page = faximage::DecodePageHeader(bytes);
    return 0;
}

int ApfPageReader::Read(std::span<std::uint8_t> bytes) {
    if (!file_.read(reinterpret_cast<char*>(bytes.data()),
                    static_cast<std::streamsize>(bytes.size()))) {
        file_.clear();
        return ecReadBeyondEnd;
    }
    return 0;
}

std::string ExpandHeader(std::string_view text, const HeaderValues& values) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '$') {
            out += text[i++];
            continue;
        }
        std::size_t end = text.find(' ', i);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const char key =
            end > i + 1 ? static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])))
                        : '\0';
        switch (key) {
            case 'D':
                out += values.date;
                break;
            case 'T':
                out += values.time;
                break;
            case 'F':
                out += values.sender;
                break;
            case 'R':
                out += values.recipient;
                break;
            case 'S':
                out += values.title;
                break;
            case 'I':
                out += values.stationID;
                break;
            case 'N':
                out += std::to_string(values.pages);
                break;
            case 'P':
                out += std::to_string(values.page);
                break;
            default:
                break;
        }
        i = end;
    }
    return out;
}

namespace {
std::string LocalText(const char* format) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    const std::size_t n = std::strftime(text, sizeof text, format, &local);
    return std::string(text, n);
}
}  // namespace

std::string LocalDateText() {
    return LocalText("%x");
}
std::string LocalTimeText() {
    return LocalText("%X");
}

}  // namespace corvane::engine
