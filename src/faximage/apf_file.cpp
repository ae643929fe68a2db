#include "apf_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "fax_errors.h"

namespace corvane::faximage {
namespace {

constexpr int kJoinBufferSize = 4096;
constexpr int kReadBeyondEnd = -100;  // "Attempt to read beyond end of file"
constexpr int kBadArgument = -1002;

void PutU16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}
void PutU32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}
std::uint16_t GetU16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}
std::uint32_t GetU32(const std::uint8_t* at) {
    return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 |
           std::uint32_t{at[3]} << 24;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// 0, or the negated file-system code.
int Open(const std::string& path, const char* mode, File& file) {
    file.reset(std::fopen(path.c_str(), mode));
    return file ? 0 : FileErrorCode(errno);
}

// A short read is the run-time error for reading beyond the end of the file.
int ReadExactly(std::FILE* file, std::uint8_t* data, std::size_t size) {
    if (std::fread(data, 1, size, file) == size)
        return 0;
    return std::ferror(file) ? FileErrorCode(errno) : kReadBeyondEnd;
}

int Seek(std::FILE* file, std::uint64_t offset) {
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()))
        return kReadBeyondEnd;
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0 ? 0 : FileErrorCode(errno);
}

int ReadFileHeader(std::FILE* file, ApfFileHeader& header) {
    std::uint8_t bytes[kApfFileHeaderSize];
    if (int code = ReadExactly(file, bytes, sizeof bytes))
        return code;
    header = DecodeFileHeader(bytes);
    return 0;
}

int ReadPageHeader(std::FILE* file, ApfPageHeader& header) {
    std::uint8_t bytes[kApfPageHeaderSize];
    if (int code = ReadExactly(file, bytes, sizeof bytes))
        return code;
    header = DecodePageHeader(bytes);
    return 0;
}

void Check(int code) {
    if (code != 0)
        throw FaxError(code);
}

bool Exists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

// The end of the first file's last page, found by walking its chain.
std::uint64_t EndOfChain(std::FILE* file, const ApfFileHeader& header) {
    struct stat info {};
    if (::fstat(fileno(file), &info) != 0)
        throw FaxError(FileErrorCode(errno));
    std::uint64_t offset = header.firstPageOffset;
    for (int page = 0; page < header.pageCount; ++page) {
        Check(Seek(file, offset));
        ApfPageHeader pageHeader;
        Check(ReadPageHeader(file, pageHeader));
        offset += kApfPageHeaderSize + std::uint64_t{pageHeader.dataLength};
    }
    // A chain that runs past the end would have the copy leave a gap that
    // no page header describes.
    if (offset > static_cast<std::uint64_t>(info.st_size))
        throw FaxError(kReadBeyondEnd);
    return offset;
}

}  // namespace

std::string ApfFileHeader::StationId() const {
    return std::string(stationId.data(), std::min<int>(stationIdLength, kStationIdMaxLength));
}

std::array<std::uint8_t, kApfFileHeaderSize> EncodeFileHeader(const ApfFileHeader& header) {
    std::array<std::uint8_t, kApfFileHeaderSize> bytes{};
    std::memcpy(bytes.data(), header.signature.data(), header.signature.size());
    PutU32(&bytes[6], header.dateStamp);
    bytes[10] = header.stationIdLength;
    std::memcpy(&bytes[11], header.stationId.data(), kStationIdMaxLength);
    PutU16(&bytes[32], header.pageCount);
    PutU32(&bytes[34], header.firstPageOffset);
    return bytes;
}

ApfFileHeader DecodeFileHeader(const std::uint8_t* bytes) {
    ApfFileHeader header;
    std::memcpy(header.signature.data(), bytes, header.signature.size());
    header.dateStamp = GetU32(&bytes[6]);
    header.stationIdLength = bytes[10];
    std::memcpy(header.stationId.data(), &bytes[11], kStationIdMaxLength);
    header.pageCount = GetU16(&bytes[32]);
    header.firstPageOffset = GetU32(&bytes[34]);
    return header;
}

std::array<std::uint8_t, kApfPageHeaderSize> EncodePageHeader(const ApfPageHeader& header) {
    std::array<std::uint8_t, kApfPageHeaderSize> bytes{};
    PutU32(&bytes[0], header.dataLength);
    PutU16(&bytes[4], header.pageFlags);
    return bytes;
}

ApfPageHeader DecodePageHeader(const std::uint8_t* bytes) {
    return ApfPageHeader{GetU32(&bytes[0]), GetU16(&bytes[4])};
}

ApfFileHeader NewFileHeader() {
    ApfFileHeader header;
    header.signature = kApfSignature;
    header.firstPageOffset = kApfFirstPageOffset;
    return header;
}

void SetStationId(ApfFileHeader& header, const std::string& id) {
    const std::size_t length = std::min<std::size_t>(id.size(), kStationIdMaxLength);
    header.stationId.fill(' ');
    std::memcpy(header.stationId.data(), id.data(), length);
    header.stationIdLength = static_cast<std::uint8_t>(length);
}

std::uint32_t PackDateStamp(const std::tm& localTime) {
    const int year = localTime.tm_year + 1900;
    if (year < 1980 || year > 2099)
        return 0;
    return static_cast<std::uint32_t>(localTime.tm_sec / 2) |
           static_cast<std::uint32_t>(localTime.tm_min) << 5 |
           static_cast<std::uint32_t>(localTime.tm_hour) << 11 |
           static_cast<std::uint32_t>(localTime.tm_mday) << 16 |
           static_cast<std::uint32_t>(localTime.tm_mon + 1) << 21 |
           static_cast<std::uint32_t>(year - 1980) << 25;
}

bool IsApfFile(const std::string& path) {
    File file;
    if (path.empty() || Open(path, "rb", file) != 0)
        return false;
    std::array<char, kApfSignature.size()> signature{};
    return std::fread(signature.data(), 1, signature.size(), file.get()) == signature.size() &&
           signature == kApfSignature;
}

int ReadApfHeader(const std::string& path, ApfFileHeader& header) {
    if (path.empty())
        return ecFileNotFound;
    File file;
    if (int code = Open(path, "rb", file))
        return code;
    if (int code = ReadFileHeader(file.get(), header))
        return code;
    return header.signature == kApfSignature ? ecOK : ecFaxBadFormat;
}

int LookupPageHeader(const std::string& path, int page, ApfPageHeader& pageHeader) {
    if (path.empty())
        return ecFileNotFound;
    File file;
    if (int code = Open(path, "rb", file))
        return code;
    ApfFileHeader header;
    if (int code = ReadFileHeader(file.get(), header))
        return code;
    if (header.signature != kApfSignature || page < 0 || header.pageCount < page)
        return ecFaxBadFormat;
    std::uint64_t offset = header.firstPageOffset;
    for (int i = 0; i < page; ++i) {
        if (int code = Seek(file.get(), offset))
            return code;
        if (int code = ReadPageHeader(file.get(), pageHeader))
            return code;
        offset += kApfPageHeaderSize + std::uint64_t{pageHeader.dataLength};
    }
    return ecOK;
}

void JoinApfFiles(const std::string& firstPath, const std::string& secondPath) {
    if (!Exists(firstPath) || !Exists(secondPath))
        throw FaxError(ecFileNotFound);
    std::vector<std::uint8_t> buffer;
    try {
        buffer.resize(kJoinBufferSize);
    } catch (const std::bad_alloc&) {
        throw FaxError(ecOutOfMemory);
    }

    File first;
    Check(Open(firstPath, "r+b", first));
    ApfFileHeader firstHeader;
    Check(ReadFileHeader(first.get(), firstHeader));
    const std::uint64_t end = EndOfChain(first.get(), firstHeader);

    File second;
    Check(Open(secondPath, "rb", second));
    ApfFileHeader secondHeader;
    Check(ReadFileHeader(second.get(), secondHeader));
    // The page count is 16 bits; a wrapped count would hide pages.
    if (firstHeader.pageCount + secondHeader.pageCount > 0xFFFF)
        throw FaxError(kBadArgument);
    Check(Seek(second.get(), secondHeader.firstPageOffset));

    Check(Seek(first.get(), end));
    for (;;) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), second.get());
        if (got == 0) {
            if (std::ferror(second.get()))
                throw FaxError(FileErrorCode(errno));
            break;
        }
        if (std::fwrite(buffer.data(), 1, got, first.get()) != got)
            throw FaxError(FileErrorCode(errno));
    }
    // Only once every page is in place does the header count them.
    if (std::fflush(first.get()) != 0)
        throw FaxError(FileErrorCode(errno));
    firstHeader.pageCount =
        static_cast<std::uint16_t>(firstHeader.pageCount + secondHeader.pageCount);
    const auto bytes = EncodeFileHeader(firstHeader);
    Check(Seek(first.get(), 0));
    if (std::fwrite(bytes.data(), 1, bytes.size(), first.get()) != bytes.size() ||
        std::fflush(first.get()) != 0)
        throw FaxError(FileErrorCode(errno));
    std::FILE* closing = first.release();
    if (std::fclose(closing) != 0)
        throw FaxError(FileErrorCode(errno));
}

}  // namespace corvane::faximage
