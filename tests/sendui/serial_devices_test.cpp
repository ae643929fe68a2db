#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "sendui/check_fax_class_form.h"
#include "sendui/find_modem_form.h"
#include "sendui/serial_devices.h"

namespace corvane::sendui {
namespace {

namespace fs = std::filesystem;

class FakeDev : public ::testing::Test {
  protected:
    FakeDev() {
        std::string pattern = (fs::temp_directory_path() / "corvane-dev-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        fs::create_directories(root_ / "dev" / "serial" / "by-id");
        fs::create_directories(root_ / "sys");
    }
    ~FakeDev() override { fs::remove_all(root_); }

    void Node(const std::string& name) { std::ofstream(root_ / "dev" / name) << ""; }
    void Uart(const std::string& name, int type) {
        fs::create_directories(root_ / "sys" / name);
        std::ofstream(root_ / "sys" / name / "type") << type << "\n";
    }
    void Link(const std::string& name, const std::string& target) {
        fs::create_symlink(root_ / "dev" / target, root_ / "dev" / "serial" / "by-id" / name);
    }
    std::string Dev(const std::string& name) const { return (root_ / "dev" / name).string(); }
    std::vector<SerialDevice> Present() const {
        return PresentSerialDevices(Dev(""), (root_ / "sys").string());
    }

    fs::path root_;
};

TEST_F(FakeDev, ByIdNamesFirstThenAcmUsbAndSerialPortsWithHardware) {
    for (const char* name : {"ttyS10", "ttyS2", "ttyS0", "ttyUSB0", "ttyACM0", "tty0", "null"})
        Node(name);
    Uart("ttyS0", 4);
    Uart("ttyS2", 0);  // no UART behind it
    Link("usb-Acme_Fax_Modem_1234-if00", "ttyACM0");
    std::vector<std::string> paths;
    for (const SerialDevice& d : Present()) paths.push_back(d.path);
    const std::vector<std::string> expected = {Dev("serial/by-id/usb-Acme_Fax_Modem_1234-if00"),
                                               Dev("ttyACM0"), Dev("ttyUSB0"), Dev("ttyS0"),
                                               Dev("ttyS10")};  // ttyS10 has no type file: offered
    EXPECT_EQ(paths, expected);
    EXPECT_EQ(Present().front().label, "usb-Acme_Fax_Modem_1234-if00");
}

TEST_F(FakeDev, UnmappedDevicesSkipWhatAPortStandsForUnderAnyName) {
    Node("ttyACM0");
    Node("ttyUSB0");
    Link("usb-Acme_Fax_Modem_1234-if00", "ttyACM0");
    const app::PortDevices mapped = {"sim", Dev("ttyACM0"), "/dev/ttyS2", "", "", ""};
    const std::vector<SerialDevice> others = UnmappedDevices(mapped, Present());
    ASSERT_EQ(others.size(), 1u);
    EXPECT_EQ(others[0].path, Dev("ttyUSB0"));
    // A by-id link and its tty are one device: the first name is offered.
    const std::vector<SerialDevice> both = UnmappedDevices({}, Present());
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0].label, "usb-Acme_Fax_Modem_1234-if00");
}

TEST(DeviceCaption, ShortTextsForThePortGroups) {
    EXPECT_EQ(DeviceCaption("sim"), "simulated modem");
    EXPECT_EQ(DeviceCaption("/dev/serial/by-id/usb-Acme-if00"), "usb-Acme-if00");
    EXPECT_EQ(DeviceCaption("/dev/ttyS0"), "/dev/ttyS0");
}

TEST(CheckFaxClass, RecommendsTheHighestClass) {
    struct Case {
        ClassSupport support;
        int expected;
        const char* name;
    } cases[] = {
        {{true, true, true}, 2, "Class 2.0"},   {{true, true, false}, 1, "Class 2"},
        {{true, false, false}, 0, "Class 1"},   {{false, true, false}, 1, "Class 2"},
        {{false, false, true}, 2, "Class 2.0"}, {{false, false, false}, -1, ""},
    };
    for (const Case& c : cases) {
        const ClassRecommendation r = Recommend(c.support);
        EXPECT_EQ(r.recommendedClass, c.expected);
        EXPECT_EQ(r.name, c.name);
    }
}

}  // namespace
}  // namespace corvane::sendui
