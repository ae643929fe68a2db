#include "apf_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "fax_errors.h"

namespace corvane::faximage {
namespace {

constexpr std::size_t kBlockSize = 4096;
constexpr int kFileNotOpen = -103;  // "File not open"
constexpr int kBadArgument = -1002;

// A fresh name beside the target, so that the final rename stays on one file system.
std::FILE* CreateTemporary(const std::string& path, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int fd = ::open(tempPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            if (std::FILE* file = ::fdopen(fd, "w+b"))
                return file;
            ::close(fd);
            ::unlink(tempPath.c_str());
            return nullptr;
        }
        if (errno != EEXIST)
            return nullptr;
    }
    return nullptr;
}

}  // namespace

ApfWriter::~ApfWriter() {
    Abandon();
}

int ApfWriter::Create(const std::string& path, Mode mode) {
    Abandon();
    if (path.empty())
        return ecFileNotFound;
    path_ = path;
    mode_ = mode;
    if (mode == Mode::Atomic) {
        file_ = CreateTemporary(path, writePath_);
    } else {
        writePath_ = path;
        file_ = std::fopen(path.c_str(), "w+b");
    }
    if (!file_)
        return FileErrorCode(errno);
    buffer_.clear();
    buffer_.reserve(kBlockSize);
    pageHeaderOffset_ = -1;
    fileEnd_ = 0;
    pageLength_ = 0;
    pageCount_ = 0;
    const auto header = EncodeFileHeader(NewFileHeader());
    return Append(header.data(), header.size(), false);
}

int ApfWriter::BeginPage(std::uint16_t pageFlags) {
    if (!file_)
        return kFileNotOpen;
    if (pageHeaderOffset_ >= 0)
        return kBadArgument;
    pageHeaderOffset_ = fileEnd_ + static_cast<long>(buffer_.size());
    pageFlags_ = pageFlags;
    pageLength_ = 0;
    const auto header = EncodePageHeader(ApfPageHeader{0, pageFlags});
    return Append(header.data(), header.size(), false);
}

int ApfWriter::Append(const std::uint8_t* data, std::size_t size) {
    if (file_ && pageHeaderOffset_ < 0)
        return kBadArgument;
    return Append(data, size, true);
}

int ApfWriter::Append(const std::uint8_t* data, std::size_t size, bool pageData) {
    if (!file_)
        return kFileNotOpen;
    while (size > 0) {
        const std::size_t room = kBlockSize - buffer_.size();
        const std::size_t part = std::min(room, size);
        buffer_.insert(buffer_.end(), data, data + part);
        data += part;
        size -= part;
        if (pageData)
            pageLength_ += static_cast<std::uint32_t>(part);
        if (buffer_.size() == kBlockSize)
            if (int code = Flush())
                return code;
    }
    return 0;
}

int ApfWriter::AppendLineRecord(const std::uint8_t* data, std::uint16_t size) {
    const std::uint8_t count[2] = {static_cast<std::uint8_t>(size),
                                   static_cast<std::uint8_t>(size >> 8)};
    if (int code = Append(count, sizeof count))
        return code;
    return Append(data, size);
}

int ApfWriter::EndPage() {
    if (!file_)
        return kFileNotOpen;
    if (pageHeaderOffset_ < 0)
        return kBadArgument;
    if (int code = Flush())
        return code;
    const auto header = EncodePageHeader(ApfPageHeader{pageLength_, pageFlags_});
    if (int code = WriteAt(pageHeaderOffset_, header.data(), header.size()))
        return code;
    ++pageCount_;
    pageHeaderOffset_ = -1;
    if (mode_ == Mode::InPlace) {
        // The file on disk must stay a valid fax of its complete pages.
        ApfFileHeader fileHeader = NewFileHeader();
        fileHeader.pageCount = static_cast<std::uint16_t>(pageCount_);
        const auto bytes = EncodeFileHeader(fileHeader);
        if (int code = WriteAt(0, bytes.data(), bytes.size()))
            return code;
        if (std::fflush(file_) != 0)
            return Fail(FileErrorCode(errno));
    }
    return 0;
}

int ApfWriter::Finish(ApfFileHeader header) {
    if (!file_)
        return kFileNotOpen;
    if (pageHeaderOffset_ >= 0)
        if (int code = EndPage())
            return code;
    if (int code = Flush())
        return code;
    header.signature = kApfSignature;
    header.pageCount = static_cast<std::uint16_t>(pageCount_);
    header.firstPageOffset = kApfFirstPageOffset;
    const auto bytes = EncodeFileHeader(header);
    if (int code = WriteAt(0, bytes.data(), bytes.size()))
        return code;
    if (std::fflush(file_) != 0 || ::fsync(fileno(file_)) != 0)
        return Fail(FileErrorCode(errno));
    std::FILE* file = file_;
    file_ = nullptr;
    if (std::fclose(file) != 0) {
        const int code = FileErrorCode(errno);
        ::unlink(writePath_.c_str());
        return code;
    }
    if (mode_ == Mode::Atomic && std::rename(writePath_.c_str(), path_.c_str()) != 0) {
        const int code = FileErrorCode(errno);
        ::unlink(writePath_.c_str());
        return code;
    }
    return 0;
}

void ApfWriter::Abandon() {
    if (!file_)
        return;
    std::fclose(file_);
    file_ = nullptr;
    ::unlink(writePath_.c_str());
    buffer_.clear();
}

int ApfWriter::Flush() {
    if (buffer_.empty())
        return 0;
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size())
        return Fail(FileErrorCode(errno));
    fileEnd_ += static_cast<long>(buffer_.size());
    buffer_.clear();
    return 0;
}

int ApfWriter::WriteAt(long offset, const std::uint8_t* data, std::size_t size) {
    if (std::fseek(file_, offset, SEEK_SET) != 0 || std::fwrite(data, 1, size, file_) != size ||
        std::fseek(file_, fileEnd_, SEEK_SET) != 0)
        return Fail(FileErrorCode(errno));
    return 0;
}

int ApfWriter::Fail(int code) {
    if (mode_ == Mode::InPlace) {
        std::fclose(file_);
        file_ = nullptr;
        buffer_.clear();
    } else {
        Abandon();
    }
    return code;
}

}  // namespace corvane::faximage
