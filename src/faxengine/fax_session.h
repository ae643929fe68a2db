// The records of one fax session: the data every session keeps, the
// class-specific data with the modem conversation and the negotiated
// parameters, and the port and platform the session runs on.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <string>

#include "faxengine/com_port.h"
#include "faxengine/engine_platform.h"
#include "faxengine/fax_class.h"
#include "faxengine/modem_control.h"
#include "faxengine/page_packer.h"
#include "faxengine/session_parameters.h"
#include "faximage/apf_file.h"

namespace corvane::engine {

inline constexpr std::size_t kMaxStationID = 20;
inline constexpr std::size_t kMaxPhoneNumber = 40;

// Option flag bits.
inline constexpr unsigned kAbortNoConnect = 1u << 0;
inline constexpr unsigned kExitOnError = 1u << 1;
inline constexpr unsigned kSoftwareFlow = 1u << 3;

struct FaxSessionData {
    int statusTimer = 0;
    int timeoutTimer = 0;
    int outputFreeTrigger = 0;
    int outputUsedTrigger = 0;
    int modemStatusTrigger = 0;
    std::uint32_t statusInterval = 1;  // seconds
    std::uint16_t dialAttempts = 1;    // 0: without limit
    std::uint16_t dialCount = 0;
    std::uint32_t dialRetryWait = 0;  // ticks
    unsigned options = 0;
    std::uint16_t faxProgress = 0;
    std::int32_t faxErrorCode = 0;
    std::int32_t currentPage = 0;
    std::int32_t faxPages = 0;
    std::int32_t coverPages = 0;
    std::int32_t bytesTransferred = 0;
    std::int32_t pageLength = 0;
    FaxClass faxClass = FaxClass::fcUnknown;
    std::string stationID;
    std::string remoteID;
    std::string destinationDir;
    std::string faxFileExt = "APF";
    std::string faxFile;
    std::string coverFile;
    std::string phoneNumber;
    std::string headerSender;
    std::string headerRecipient;
    std::string headerTitle;
    bool sendingCover = false;
    bool sender = true;
    bool classesKnown = false;
};

struct FaxModemData {
    FaxModemData(ComPort& port, const Clock& clock, Platform& platform)
        : control(port, clock, platform) {}

    static constexpr std::size_t kDataBufferSize = 4096;

    // The page being sent or received, by its header's flags.
    bool PageFine() const { return (pageHeader.pageFlags & faximage::pfFine) != 0; }
    bool PageWide() const { return (pageHeader.pageFlags & faximage::pfWide) != 0; }

    ModemControl control;
    SessionParameters params;
    bool statusChanged = false;
    std::fstream faxFile;
    faximage::ApfFileHeader fileHeader;
    faximage::ApfPageHeader pageHeader;
    bool lineMode = false;  // pfCountedLines of the current page
    PagePacker packer;      // the page data being sent
    std::array<std::uint8_t, kDataBufferSize> dataBuffer{};
    std::uint16_t dataCount = 0;
    std::uint16_t hangupCode = 0;
    std::uint16_t postPageTries = 0;
    std::uint32_t answerOnRing = 1;
    std::uint32_t ringCount = 0;
    char desiredECM = '0';
    char faxAndData = '0';
};

struct FaxSession {
    FaxSession(ComPort& port, const Clock& clock, Platform& platform)
        : port(port), clock(clock), platform(platform), modem(port, clock, platform) {}

    ComPort& port;
    const Clock& clock;
    Platform& platform;
    FaxSessionData data;
    FaxModemData modem;
};

}  // namespace corvane::engine
