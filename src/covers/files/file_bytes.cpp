#include "file_bytes.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace corvane::covers {

bool ReadFileBytes(const std::string& path, std::size_t limit, std::string& bytes) {
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char block[65536];
    bool ok = true;
    while (bytes.size() < limit) {
        const ssize_t got = ::read(fd, block, std::min(sizeof block, limit - bytes.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            ok = false;
        if (got <= 0)
            break;
        bytes.append(block, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return ok;
}

void WriteFileReplacing(const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".part";
    auto fail = [&](int error) {
        ::unlink(temporary.c_str());
        throw std::runtime_error("Cannot write \"" + path + "\": " + std::strerror(error));
    };
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        fail(errno);
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            const int error = put < 0 ? errno : EIO;
            ::close(fd);
            fail(error);
        }
        written += static_cast<std::size_t>(put);
    }
    if (::close(fd) != 0 || ::rename(temporary.c_str(), path.c_str()) != 0)
        fail(errno);
}

}  // namespace corvane::covers
