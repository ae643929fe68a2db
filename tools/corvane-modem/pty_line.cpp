#include "pty_line.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace corvane::modemtool {

PtyLine::PtyLine(engine::Scheduler& scheduler, engine::FarEndpoint& modem)
    : scheduler_(scheduler), modem_(modem) {
    modem_.Attach(*this);
    // A pty has no line speed: replies leave in one burst, as from a
    // modem's buffer, instead of trickling out at a serial rate.
    modem_.BaudChanged(kPtyBaud);
}

PtyLine::~PtyLine() {
    if (!link_.empty())
        ::unlink(link_.c_str());
    if (master_ >= 0)
        ::close(master_);
}

bool PtyLine::Open(const std::string& link, std::string& error) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error = std::string("cannot make a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    const char* slave = ::ptsname(master_);
    if (slave == nullptr) {
        error = "cannot name the pseudo-terminal";
        return false;
    }
    // Raw from the start, so a program that sets nothing still gets every byte.
    const int slaveFd = ::open(slave, O_RDWR | O_NOCTTY);
    if (slaveFd >= 0) {
        termios settings{};
        if (::tcgetattr(slaveFd, &settings) == 0) {
            ::cfmakeraw(&settings);
            ::tcsetattr(slaveFd, TCSANOW, &settings);
        }
        ::close(slaveFd);
    }
    struct stat existing {};
    if (::lstat(link.c_str(), &existing) == 0) {
        if (!S_ISLNK(existing.st_mode)) {
            error = link + " exists and is not a symlink";
            return false;
        }
        ::unlink(link.c_str());
    }
    if (::symlink(slave, link.c_str()) != 0) {
        error = "cannot make " + link + ": " + std::strerror(errno);
        return false;
    }
    link_ = link;
    return true;
}

void PtyLine::SendToComputer(std::string_view bytes) {
    if (!attached_)
        return;  // nobody listens: a modem's bytes go nowhere
    output_.append(bytes);
    Flush();
}

void PtyLine::Flush() {
    while (!output_.empty()) {
        const ssize_t written = ::write(master_, output_.data(), output_.size());
        if (written <= 0)
            return;
        const bool wasHeld = !RTS();
        output_.erase(0, static_cast<std::size_t>(written));
        if (wasHeld && RTS())
            modem_.ControlLinesChanged(true, true);
    }
}

void PtyLine::Service() {
    std::uint8_t buffer[kReadStep];
    while (clearToSend_ || !attached_) {
        const ssize_t got = ::read(master_, buffer, sizeof buffer);
        if (got > 0) {
            if (!attached_) {
                attached_ = true;
                modem_.ControlLinesChanged(true, true);
            }
            for (ssize_t i = 0; i < got; ++i) modem_.ReceiveFromComputer(buffer[i]);
            continue;
        }
        if (got < 0 && errno == EIO && attached_) {
            // The program closed the slave: as a DTR drop.
            attached_ = false;
            output_.clear();
            modem_.ControlLinesChanged(false, false);
        }
        break;
    }
    Flush();
}

}  // namespace corvane::modemtool
