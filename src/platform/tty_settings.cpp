#include "platform/tty_settings.h"

#include <termios.h>

#include <cerrno>
#include <utility>

#include "faxengine/engine_codes.h"
#include "faximage/fax_errors.h"

namespace corvane::platform {

namespace {

constexpr std::pair<std::uint32_t, speed_t> kBauds[] = {
    {300, B300},     {600, B600},       {1200, B1200},     {2400, B2400},
    {4800, B4800},   {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400},
};

bool SpeedOf(std::uint32_t baud, speed_t& speed) {
    for (const auto& [value, constant] : kBauds) {
        if (value == baud) {
            speed = constant;
            return true;
        }
    }
    return false;
}

bool CharacterSize(int dataBits, tcflag_t& size) {
    switch (dataBits) {
        case 5:
            size = CS5;
            return true;
        case 6:
            size = CS6;
            return true;
        case 7:
            size = CS7;
            return true;
        case 8:
            size = CS8;
            return true;
        default:
            return false;
    }
}

}  // namespace

int ApplyLineSettings(int fd, const engine::PortSettings& settings) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        return FileErrorCode(errno);
    }
    speed_t speed = 0;
    tcflag_t size = 0;
    if (!SpeedOf(settings.baud, speed) || !CharacterSize(settings.dataBits, size) ||
        (settings.stopBits != 1 && settings.stopBits != 2)) {
        return engine::ecBadArgument;
    }
    cfmakeraw(&tio);
    // The modem's DCD is read through the modem lines, not obeyed by the driver.
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= size | CREAD | CLOCAL;
    switch (settings.parity) {
        case engine::Parity::None:
            break;
        case engine::Parity::Odd:
            tio.c_cflag |= PARENB | PARODD;
            break;
        case engine::Parity::Even:
            tio.c_cflag |= PARENB;
            break;
        case engine::Parity::Mark:
            tio.c_cflag |= PARENB | PARODD | CMSPAR;
            break;
        case engine::Parity::Space:
            tio.c_cflag |= PARENB | CMSPAR;
            break;
    }
    if (settings.stopBits == 2) {
        tio.c_cflag |= CSTOPB;
    }
    if (settings.hwFlowUseRTS || settings.hwFlowRequireCTS) {
        tio.c_cflag |= CRTSCTS;
    }
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);  // software flow is the port's own
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    return tcsetattr(fd, TCSANOW, &tio) == 0 ? 0 : FileErrorCode(errno);
}

int ApplyBaud(int fd, std::uint32_t baud) {
    termios tio{};
    speed_t speed = 0;
    if (!SpeedOf(baud, speed)) {
        return engine::ecBadArgument;
    }
    if (tcgetattr(fd, &tio) != 0) {
        return FileErrorCode(errno);
    }
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    return tcsetattr(fd, TCSADRAIN, &tio) == 0 ? 0 : FileErrorCode(errno);
}

}  // namespace corvane::platform
