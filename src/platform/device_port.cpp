#include "platform/device_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <mutex>
#include <set>

#include "faxengine/engine_codes.h"
#include "faximage/fax_errors.h"
#include "platform/tty_settings.h"

namespace corvane::platform {

namespace {

constexpr std::size_t kChunk = 512;
// Modem lines are polled at the engine's tick.
constexpr int kLinePollMs = 55;

// Devices open in this program, by device number.
class OpenDevices {
  public:
    bool Add(unsigned long id) {
        std::lock_guard lock(mutex_);
        return ids_.insert(id).second;
    }
    void Remove(unsigned long id) {
        std::lock_guard lock(mutex_);
        ids_.erase(id);
    }

  private:
    std::mutex mutex_;
    std::set<unsigned long> ids_;
};

OpenDevices& Registry() {
    static OpenDevices devices;
    return devices;
}

int OpenErrorCode(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
        case ENXIO:
        case ENODEV:
            return engine::ecBadPort;
        case EBUSY:
        case EWOULDBLOCK:
            return engine::ecPortInUse;
        default:
            return FileErrorCode(error);
    }
}

bool DeviceHungUp(int fd) {
    pollfd state{fd, POLLIN, 0};
    return poll(&state, 1, 0) > 0 && (state.revents & (POLLHUP | POLLERR)) != 0;
}

}  // namespace

DevicePort::DevicePort(const engine::Clock& clock, engine::Platform& platform, std::string device,
                       engine::PortSettings settings)
    : ComPortBase(clock, platform),
      device_(std::move(device)),
      settings_(settings),
      context_(std::make_unique<QObject>()) {}

DevicePort::~DevicePort() {
    Close();
}

int DevicePort::Open() {
    if (fd_ >= 0) {
        return engine::ecAlreadyOpen;
    }
    if (settings_.inSize == 0 || settings_.outSize == 0) {
        return engine::ecBadArgument;
    }
    struct stat info {};
    if (stat(device_.c_str(), &info) != 0) {
        return OpenErrorCode(errno);
    }
    if (!S_ISCHR(info.st_mode)) {
        return engine::ecBadPort;
    }
    const unsigned long id = info.st_rdev;
    if (!Registry().Add(id)) {
        return engine::ecAlreadyOpen;
    }
    const int fd = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    int result = fd < 0 ? OpenErrorCode(errno) : 0;
    // The lock keeps out other programs that lock; TIOCEXCL keeps out
    // other openers that do not (except the superuser).
    if (result == 0 && flock(fd, LOCK_EX | LOCK_NB) != 0) {
        result = OpenErrorCode(errno);
    }
    if (result == 0) {
        result = ApplyLineSettings(fd, settings_);
    }
    if (result != 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        Registry().Remove(id);
        return result;
    }
    ioctl(fd, TIOCEXCL);
    fd_ = fd;
    deviceId_ = id;
    int lines = 0;
    hasLines_ = ioctl(fd_, TIOCMGET, &lines) == 0;
    tcflush(fd_, TCIOFLUSH);
    SetModem(true, true);
    lastLines_ = ReadLines();

    readNotifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, context_.get());
    writeNotifier_ = new QSocketNotifier(fd_, QSocketNotifier::Write, context_.get());
    QObject::connect(readNotifier_, &QSocketNotifier::activated, context_.get(),
                     [this] { Pump(); });
    QObject::connect(writeNotifier_, &QSocketNotifier::activated, context_.get(),
                     [this] { Pump(); });
    if (hasLines_) {
        lineTimer_ = new QTimer(context_.get());
        QObject::connect(lineTimer_, &QTimer::timeout, context_.get(), [this] { PollLines(); });
        lineTimer_->start(kLinePollMs);
    }
    UpdateNotifiers();
    return 0;
}

void DevicePort::Close() {
    if (fd_ < 0) {
        return;
    }
    WriteRecorders();
    WriteDevice();
    Release();
}

void DevicePort::Release() {
    delete readNotifier_;
    delete writeNotifier_;
    delete lineTimer_;
    readNotifier_ = writeNotifier_ = nullptr;
    lineTimer_ = nullptr;
    ::close(fd_);  // also drops the lock and, on a modem line, DTR
    fd_ = -1;
    Registry().Remove(deviceId_);
    in_.clear();
    out_.clear();
    swFlow_.Reset();
    hungUp_ = false;
}

int DevicePort::PutChar(std::uint8_t byte) {
    return PutBlock({&byte, 1});
}

int DevicePort::PutString(std::string_view text) {
    return PutBlock({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

int DevicePort::PutBlock(std::span<const std::uint8_t> block) {
    if (fd_ < 0) {
        return engine::ecPortNotOpen;
    }
    if (block.size() > OutBuffFree()) {
        return engine::ecOutputBufferTooSmall;
    }
    for (const std::uint8_t byte : block) {
        out_.push_back(byte);
        NoteOutput(byte);
    }
    OutputChanged();
    Pump();
    return 0;
}

bool DevicePort::CharReady() {
    Pump();
    return !in_.empty();
}

int DevicePort::GetChar() {
    if (in_.empty()) {
        Pump();
    }
    if (in_.empty()) {
        return engine::ecBufferIsEmpty;
    }
    const std::uint8_t byte = in_.front();
    in_.pop_front();
    CheckInputMarks();
    UpdateNotifiers();
    return byte;
}

std::size_t DevicePort::InBuffUsed() {
    return in_.size();
}
std::size_t DevicePort::OutBuffUsed() {
    return out_.size();
}
std::size_t DevicePort::OutBuffFree() {
    return settings_.outSize - out_.size();
}

void DevicePort::FlushInBuffer() {
    in_.clear();
    if (fd_ >= 0) {
        tcflush(fd_, TCIFLUSH);
    }
    CheckInputMarks();
    UpdateNotifiers();
}

void DevicePort::FlushOutBuffer() {
    out_.clear();
    if (fd_ >= 0) {
        tcflush(fd_, TCOFLUSH);
    }
    OutputChanged();
    UpdateNotifiers();
}

void DevicePort::Pump() {
    if (fd_ < 0 || inPump_) {
        return;
    }
    inPump_ = true;
    ReadDevice();
    WriteDevice();
    inPump_ = false;
    UpdateNotifiers();
}

void DevicePort::ReadDevice() {
    bool arrived = false;
    std::array<std::uint8_t, kChunk> chunk{};
    while (fd_ >= 0 && !hungUp_ && in_.size() < settings_.inSize) {
        const std::size_t room = std::min(chunk.size(), settings_.inSize - in_.size());
        const ssize_t count = ::read(fd_, chunk.data(), room);
        if (count <= 0) {
            // A raw terminal reads 0 both when nothing waits and when the
            // device is gone (the far side of a pty closed); only the
            // latter reports a hang-up, and it would wake us for ever.
            if ((count < 0 && errno != EAGAIN && errno != EINTR) || DeviceHungUp(fd_)) {
                hungUp_ = true;
                Log().Note(clock().MilliSeconds(), "device hung up");
            }
            break;
        }
        for (ssize_t i = 0; i < count; ++i) {
            arrived = Accept(chunk[static_cast<std::size_t>(i)]) || arrived;
        }
    }
    if (arrived) {
        DataArrived();
    }
}

bool DevicePort::Accept(std::uint8_t byte) {
    if (swFlow_.TakeReceived(byte)) {
        return false;
    }
    in_.push_back(byte);
    NoteInput(byte);
    CheckInputMarks();
    return true;
}

void DevicePort::WriteDevice() {
    bool wrote = false;
    std::array<std::uint8_t, kChunk> chunk{};
    while (fd_ >= 0 && !hungUp_ && !out_.empty() && !swFlow_.OutputPaused()) {
        const std::size_t size = std::min(chunk.size(), out_.size());
        std::copy_n(out_.begin(), size, chunk.begin());
        const ssize_t count = ::write(fd_, chunk.data(), size);
        if (count <= 0) {
            break;  // the driver's buffer is full, or CTS holds it
        }
        out_.erase(out_.begin(), out_.begin() + count);
        wrote = true;
    }
    if (wrote) {
        OutputChanged();
    }
}

// Hardware flow needs nothing here: a full input buffer stops the reads,
// and the driver then drops RTS as its own buffer fills.
void DevicePort::CheckInputMarks() {
    if (const std::optional<std::uint8_t> flow = swFlow_.InputChanged(in_.size())) {
        WriteFlowByte(*flow);
    }
}

// Flow characters go ahead of the output buffer.
void DevicePort::WriteFlowByte(std::uint8_t byte) {
    if (fd_ >= 0 && ::write(fd_, &byte, 1) == 1) {
        NoteOutput(byte);
    }
}

void DevicePort::UpdateNotifiers() {
    if (readNotifier_ != nullptr) {
        readNotifier_->setEnabled(!hungUp_ && in_.size() < settings_.inSize);
    }
    if (writeNotifier_ != nullptr) {
        writeNotifier_->setEnabled(!hungUp_ && !out_.empty() && !swFlow_.OutputPaused());
    }
}

void DevicePort::SetModem(bool dtr, bool rts) {
    if (fd_ < 0 || !hasLines_) {
        return;
    }
    const int dtrBit = TIOCM_DTR;
    const int rtsBit = TIOCM_RTS;
    ioctl(fd_, dtr ? TIOCMBIS : TIOCMBIC, &dtrBit);
    ioctl(fd_, rts ? TIOCMBIS : TIOCMBIC, &rtsBit);
}

std::uint32_t DevicePort::ReadLines() {
    if (!hasLines_) {
        return engine::kLineCTS;
    }
    int lines = 0;
    if (fd_ < 0 || ioctl(fd_, TIOCMGET, &lines) != 0) {
        return lastLines_;
    }
    std::uint32_t mask = 0;
    mask |= (lines & TIOCM_CTS) ? engine::kLineCTS : 0;
    mask |= (lines & TIOCM_DSR) ? engine::kLineDSR : 0;
    mask |= (lines & TIOCM_RNG) ? engine::kLineRI : 0;
    mask |= (lines & TIOCM_CD) ? engine::kLineDCD : 0;
    return mask;
}

void DevicePort::PollLines() {
    const std::uint32_t lines = ReadLines();
    const std::uint32_t changed = lines ^ lastLines_;
    lastLines_ = lines;
    if (changed != 0) {
        ModemLinesChanged(changed);
    }
}

bool DevicePort::CheckDCD() {
    return (ReadLines() & engine::kLineDCD) != 0;
}

int DevicePort::ChangeBaud(std::uint32_t baud) {
    if (fd_ < 0) {
        return engine::ecPortNotOpen;
    }
    const int result = ApplyBaud(fd_, baud);
    if (result == 0) {
        settings_.baud = baud;
    }
    return result;
}

void DevicePort::SWFlowEnable(std::size_t bufferFull, std::size_t bufferResume,
                              engine::FlowDirection direction) {
    swFlow_.Enable(bufferFull, bufferResume, direction);
    CheckInputMarks();
}

void DevicePort::SWFlowDisable() {
    if (swFlow_.Disable()) {
        Pump();
    }
}

void DevicePort::ArmTimer(int handle, unsigned generation, std::uint32_t milliseconds) {
    // The context goes with the port, and a stale generation is ignored.
    QTimer::singleShot(static_cast<int>(milliseconds), context_.get(),
                       [this, handle, generation] { TimerDue(handle, generation); });
}

}  // namespace corvane::platform
