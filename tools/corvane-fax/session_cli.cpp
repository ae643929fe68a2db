#include "session_cli.h"

#include <QCoreApplication>
#include <QTimer>

#include "platform/device_port.h"
#include "platform/qt_platform.h"

namespace corvane::cli {

std::optional<unsigned long> CountArgument(const std::string& text, unsigned long max) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 9) {
        return std::nullopt;
    }
    const unsigned long value = std::stoul(text);
    return value <= max ? std::optional<unsigned long>(value) : std::nullopt;
}

std::optional<engine::FaxClass> FaxClassArgument(const std::string& text) {
    if (text == "auto")
        return engine::FaxClass::fcDetect;
    if (text == "1")
        return engine::FaxClass::fcClass1;
    if (text == "2")
        return engine::FaxClass::fcClass2;
    if (text == "2.0")
        return engine::FaxClass::fcClass2_0;
    return std::nullopt;
}

int RunOnDevice(const std::string& device, const DeviceSession& session,
                const std::function<int(int code)>& openFailed) {
    int argc = 1;
    char name[] = "corvane-fax";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    platform::QtPlatform qtPlatform;
    platform::DevicePort port(qtPlatform, qtPlatform, device);
    if (const int opened = port.Open(); opened != 0) {
        return openFailed(opened);
    }
    return session(port, qtPlatform, qtPlatform, [&](const std::function<bool()>& done) {
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (done())
                app.quit();
        });
        poll.start(20);
        if (!done())
            app.exec();
    });
}

}  // namespace corvane::cli
