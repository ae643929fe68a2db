#include "fax_settings.h"

#include "profile.h"

namespace corvane::app {

namespace {
constexpr const char* kUser = "User";
constexpr const char* kDialing = "Dialing";
constexpr const char* kModem = "Modem";
constexpr const char* kReceive = "Receive";
constexpr const char* kPorts = "Ports";

std::string PortKey(int index) {
    return "Com" + std::to_string(index + 1);
}
}  // namespace

FaxSettings LoadSettings(const std::string& iniPath) {
    const Profile ini(iniPath);
    const FaxSettings defaults;
    FaxSettings s;
    s.BlindDial = ini.ReadBool(kDialing, "BlindDial", defaults.BlindDial);
    s.IgnoreBusy = ini.ReadBool(kDialing, "IgnoreBusy", defaults.IgnoreBusy);
    s.Fax = ini.ReadString(kUser, "Fax", defaults.Fax);
    s.Name = ini.ReadString(kUser, "Name", defaults.Name);
    s.Voice = ini.ReadString(kUser, "Voice", defaults.Voice);
    s.Company = ini.ReadString(kUser, "Company", defaults.Company);
    s.DialPrefix = ini.ReadString(kDialing, "DialPrefix", defaults.DialPrefix);
    s.InitString = ini.ReadString(kModem, "InitString", defaults.InitString);
    s.DialAttempts = ini.ReadInteger(kDialing, "DialAttempts", defaults.DialAttempts);
    s.RetryWait = ini.ReadInteger(kDialing, "RetryWait", defaults.RetryWait);
    s.ComPort = ini.ReadInteger(kModem, "ComPort", defaults.ComPort);
    s.FaxClass = ini.ReadInteger(kModem, "FaxClass", defaults.FaxClass);
    s.MaximumBPS = ini.ReadInteger(kModem, "MaximumBPS", defaults.MaximumBPS);
    s.ToneOrPulse = ini.ReadInteger(kDialing, "ToneOrPulse", defaults.ToneOrPulse);
    s.Timeout = ini.ReadInteger(kDialing, "Timeout", defaults.Timeout);
    s.Wav = ini.ReadString(kReceive, "Wav", defaults.Wav);
    s.AnswerOnRing = ini.ReadInteger(kReceive, "AnswerOnRing", defaults.AnswerOnRing);
    return s;
}

void SaveSettings(const std::string& iniPath, const FaxSettings& s) {
    Profile ini(iniPath);
    ini.WriteString(kUser, "Fax", s.Fax);
    ini.WriteString(kUser, "Name", s.Name);
    ini.WriteString(kUser, "Voice", s.Voice);
    ini.WriteString(kUser, "Company", s.Company);
    ini.WriteString(kDialing, "DialPrefix", s.DialPrefix);
    ini.WriteString(kModem, "InitString", s.InitString);
    ini.WriteInteger(kDialing, "DialAttempts", s.DialAttempts);
    ini.WriteInteger(kDialing, "RetryWait", s.RetryWait);
    ini.WriteBool(kDialing, "BlindDial", s.BlindDial);
    ini.WriteBool(kDialing, "IgnoreBusy", s.IgnoreBusy);
    ini.WriteInteger(kModem, "ComPort", s.ComPort);
    ini.WriteInteger(kModem, "FaxClass", s.FaxClass);
    ini.WriteInteger(kModem, "MaximumBPS", s.MaximumBPS);
    ini.WriteInteger(kDialing, "ToneOrPulse", s.ToneOrPulse);
    ini.WriteInteger(kDialing, "Timeout", s.Timeout);
    ini.WriteString(kReceive, "Wav", s.Wav);
    ini.WriteInteger(kReceive, "AnswerOnRing", s.AnswerOnRing);
}

PortDevices DefaultPortDevices() {
    PortDevices devices;
    for (int i = 0; i < kPortCount; ++i) devices[i] = "/dev/ttyS" + std::to_string(i);
    return devices;
}

PortDevices LoadPortDevices(const std::string& iniPath) {
    const Profile ini(iniPath);
    PortDevices devices = DefaultPortDevices();
    for (int i = 0; i < kPortCount; ++i) {
        devices[i] = ini.ReadString(kPorts, PortKey(i), devices[i]);
    }
    return devices;
}

void SavePortDevices(const std::string& iniPath, const PortDevices& devices) {
    Profile ini(iniPath);
    for (int i = 0; i < kPortCount; ++i) ini.WriteString(kPorts, PortKey(i), devices[i]);
}

int LoadSimCallEvery(const std::string& iniPath) {
    const int seconds = Profile(iniPath).ReadInteger(kPorts, "SimCallEvery", kDefaultSimCallEvery);
    return seconds > 0 ? seconds : 0;
}

}  // namespace corvane::app
