// The user's settings record and its keys in "CV.INI".
#pragma once

#include <array>
#include <string>

namespace corvane::app {

struct FaxSettings {
    // [User]
    std::string Name;
    std::string Company;
    std::string Fax;  // also the station identifier
    std::string Voice;
    // [Dialing]
    std::string DialPrefix;
    int DialAttempts = 3;
    int RetryWait = 60;   // seconds
    int ToneOrPulse = 0;  // 0 tone, 1 pulse
    int Timeout = 60;     // seconds
    bool BlindDial = false;
    bool IgnoreBusy = false;
    // [Modem]
    std::string InitString;
    int ComPort = -1;  // 0..5 = Com1..Com6; -1 never configured
    int FaxClass = 0;  // 0 auto, 1 class 1, 2 class 2, 3 class 2.0
    int MaximumBPS = 9600;
    // [Receive]
    std::string Wav;
    int AnswerOnRing = 1;
};

FaxSettings LoadSettings(const std::string& iniPath);
// Throws ProfileWriteError; values written before the failure stay written.
void SaveSettings(const std::string& iniPath, const FaxSettings& settings);

// Section "Ports": the device behind each of Com1..Com6. "sim" stands for
// the built-in simulated modem.
inline constexpr int kPortCount = 6;
using PortDevices = std::array<std::string, kPortCount>;
PortDevices DefaultPortDevices();  // /dev/ttyS0 .. /dev/ttyS5
PortDevices LoadPortDevices(const std::string& iniPath);
void SavePortDevices(const std::string& iniPath, const PortDevices& devices);

// Key "SimCallEvery" of section "Ports": in receive mode the simulated
// modem gets a demo caller this many seconds after the start and again as
// long after each call; 0 for never.
inline constexpr int kDefaultSimCallEvery = 20;
int LoadSimCallEvery(const std::string& iniPath);

}  // namespace corvane::app
