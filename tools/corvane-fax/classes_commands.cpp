// The modem commands: classes, which asks a modem on a device which fax
// classes it offers and, for class 1, at which rates it sends.
#include <QCoreApplication>

#include <cstdio>
#include <string>

#include "command_registry.h"
#include "faxengine/engine_codes.h"
#include "faxengine/modem_control.h"
#include "faxengine/session_parameters.h"
#include "faximage/fax_errors.h"
#include "platform/device_port.h"
#include "platform/qt_platform.h"

namespace corvane::cli {
namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kUsage = 2;

constexpr const char* kClassesUsage = "classes --device PATH [--reset]";

// What the user is told when the port does not open.
std::string PortOpenMessage(int code, const std::string& device) {
    const std::string unable =
        "Unable to open the specified communications port ( " + device + " )";
    if (code == engine::ecPortInUse || code == engine::ecAlreadyOpen) {
        return "The communications port is in use ( " + device +
               " )\n\n"
               "Please make sure that all communication programs (internet, AOL, etc) are "
               "closed, and then try again.";
    }
    if (code == engine::ecBadPort) {
        return unable;
    }
    const std::string text = ErrorText(code);
    return unable + "\nError message: " + (text.empty() ? "Unknown error" : text);
}

const char* YesNo(bool value) {
    return value ? "yes" : "no";
}

int RunClasses(const Arguments& args) {
    std::string device;
    bool reset = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--device" && i + 1 < args.size()) {
            device = args[++i];
        } else if (args[i] == "--reset") {
            reset = true;
        } else {
            device.clear();
            break;
        }
    }
    if (device.empty()) {
        std::fprintf(stderr, "usage: corvane-fax %s\n", kClassesUsage);
        return kUsage;
    }

    int argc = 1;
    char name[] = "corvane-fax";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    platform::QtPlatform qtPlatform;
    platform::DevicePort port(qtPlatform, qtPlatform, device);
    if (const int opened = port.Open(); opened != 0) {
        std::fprintf(stderr, "%s\n", PortOpenMessage(opened, device).c_str());
        return kFailure;
    }
    engine::ModemControl control(port, qtPlatform, qtPlatform);
    const engine::FaxClasses classes = control.DetectFaxClasses(reset);
    if (!classes.detected) {
        std::fprintf(stderr, "The modem did not answer the fax class query.\n");
        return kFailure;
    }
    std::printf("class1 %s\nclass2 %s\nclass2.0 %s\n", YesNo(classes.class1), YesNo(classes.class2),
                YesNo(classes.class20));
    if (classes.class1) {
        if (control.QueryClass1Rates(true)) {
            std::printf("class1 rates");
            for (int index = 1; index <= engine::kRateCount; ++index) {
                if (control.LocalRate(index)) {
                    std::printf(" %u", engine::RateBPS(index));
                }
            }
            std::printf("\n");
        } else {
            std::printf("class1 rates unknown (the modem refused class 1)\n");
        }
    }
    return kSuccess;
}

const CommandRegistration kClasses({"classes", kClassesUsage, RunClasses});

}  // namespace
}  // namespace corvane::cli
