#include "app/com_ports.h"

#include <gtest/gtest.h>
#include <QCoreApplication>

#include "app/fax_settings.h"
#include "temp_dir.h"

namespace corvane::app {
namespace {

using corvane::testing::TempDir;

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

engine::PortSettings OnCom(int number) {
    engine::PortSettings settings;
    settings.comNumber = number;
    return settings;
}

TEST(ComPorts, EachComNOpensTheDeviceItIsMappedTo) {
    App();
    TempDir dir;
    const std::string ini = dir.Write("CV.INI", "[Ports]\nCom2=sim\nCom3=/dev/corvane-none\n");
    EXPECT_NE(dynamic_cast<platform::SimulatedFaxPort*>(MakeComPort(ini, OnCom(2)).get()), nullptr);
    struct Case {
        int com;
        std::string device;
    };
    for (const Case& c :
         {Case{1, "/dev/ttyS0"}, Case{3, "/dev/corvane-none"}, Case{7, ""}, Case{0, ""}}) {
        const auto port = MakeComPort(ini, OnCom(c.com));
        EXPECT_EQ(port->Device(), c.device) << c.com;
        EXPECT_EQ(port->ComNumber(), c.com);
    }
    EXPECT_EQ(MakeComPort(ini, OnCom(7))->Open(), -2001);
}

TEST(ComPorts, SimCallEveryDefaultsToTwentyAndNeverGoesNegative) {
    TempDir dir;
    const std::pair<std::string, int> cases[] = {
        {"", kDefaultSimCallEvery},
        {"[Ports]\nSimCallEvery=5\n", 5},
        {"[ports]\nsimcallevery=0\n", 0},
        {"[Ports]\nSimCallEvery=-3\n", 0},
        {"[Ports]\nSimCallEvery=soon\n", kDefaultSimCallEvery},
    };
    for (const auto& [text, seconds] : cases) {
        EXPECT_EQ(LoadSimCallEvery(dir.Write("CV.INI", text)), seconds) << text;
    }
}

}  // namespace
}  // namespace corvane::app
