#include "file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "table_error.h"

namespace corvane::tables {

void ThrowSystemError(const std::string& what, const std::string& path) {
    throw TableError("cannot " + what + " \"" + path + "\": " + std::strerror(errno));
}

void WriteAt(int fd, const void* data, std::size_t size, std::uint64_t offset,
             const std::string& path) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::pwrite(fd, bytes, size, static_cast<off_t>(offset));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            ThrowSystemError("write", path);
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
        offset += static_cast<std::uint64_t>(written);
    }
}

void ReadAt(int fd, void* data, std::size_t size, std::uint64_t offset, const std::string& path) {
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t got = ::pread(fd, bytes, size, static_cast<off_t>(offset));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ThrowSystemError("read", path);
        }
        if (got == 0)
            throw TableError("file \"" + path + "\" ended early");
        bytes += got;
        size -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
}

std::uint64_t FileSize(int fd, const std::string& path) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        ThrowSystemError("examine", path);
    return static_cast<std::uint64_t>(info.st_size);
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return std::nullopt;
        ThrowSystemError("open", path);
    }
    try {
        std::vector<std::uint8_t> data(FileSize(fd, path));
        ReadAt(fd, data.data(), data.size(), 0, path);
        ::close(fd);
        return data;
    } catch (...) {
        ::close(fd);
        throw;
    }
}

ReplacementFile::ReplacementFile(std::string path)
    : path_(std::move(path)), temporary_(path_ + ".XXXXXX") {
    fd_ = ::mkstemp(temporary_.data());
    if (fd_ < 0)
        ThrowSystemError("create a temporary file for", path_);
    ::fchmod(fd_, 0644);
}

ReplacementFile::~ReplacementFile() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temporary_.c_str());
    }
}

void ReplacementFile::Append(const void* data, std::size_t size) {
    WriteAt(fd_, data, size, size_, temporary_);
    size_ += size;
}

int ReplacementFile::CommitKeepingOpen() {
    if (::fsync(fd_) != 0)
        ThrowSystemError("write", temporary_);
    if (::rename(temporary_.c_str(), path_.c_str()) != 0)
        ThrowSystemError("replace", path_);
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void ReplacementFile::Commit() {
    ::close(CommitKeepingOpen());
}

void WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& data) {
    ReplacementFile file(path);
    file.Append(data.data(), data.size());
    file.Commit();
}

}  // namespace corvane::tables
