#include "platform/qt_platform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMetaObject>
#include <QThread>

namespace corvane::platform {

namespace {
// A polling loop sleeps this long per turn instead of spinning.
constexpr unsigned long kPollSleepMs = 1;
}  // namespace

std::uint32_t QtPlatform::MilliSeconds() const {
    // A started timer's reference is the monotonic clock's zero.
    QElapsedTimer now;
    now.start();
    return static_cast<std::uint32_t>(now.msecsSinceReference()) & 0x7FFFFFFFu;
}

void QtPlatform::BusyWait(std::uint32_t milliseconds) {
    QThread::msleep(milliseconds);
}

void QtPlatform::PollMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QThread::msleep(kPollSleepMs);
}

void QtPlatform::Post(std::function<void()> call) {
    QMetaObject::invokeMethod(&context_, std::move(call), Qt::QueuedConnection);
}

}  // namespace corvane::platform
