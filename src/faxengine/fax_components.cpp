#include "faxengine/fax_components.h"

#include <algorithm>

#include "faxengine/engine_codes.h"
#include "faxengine/fax_exceptions.h"
#include "faxengine/fax_log.h"
#include "faxengine/send_machine.h"

namespace corvane::engine {

namespace {
constexpr std::size_t kMinOutputBuffer = 8192;
constexpr std::size_t kMaxFileName = 255;
}  // namespace

CvCustomAbstractFax::CvCustomAbstractFax(const Clock& clock, Platform& platform)
    : clock_(clock), platform_(platform) {}

CvCustomAbstractFax::~CvCustomAbstractFax() {
    machine_.reset();
    if (statusDisplay_ != nullptr)
        statusDisplay_->fax = nullptr;
    if (faxLog_ != nullptr)
        faxLog_->fax = nullptr;
}

void CvCustomAbstractFax::SetComPort(ComPort* port) {
    if (port == port_)
        return;
    machine_.reset();
    session_.reset();
    port_ = port;
}

void CvCustomAbstractFax::SetStatusDisplay(CvAbstractFaxStatus* display) {
    if (statusDisplay_ != nullptr)
        statusDisplay_->fax = nullptr;
    statusDisplay_ = display;
    if (display != nullptr)
        display->fax = this;
}

void CvCustomAbstractFax::SetFaxLog(CvFaxLog* log) {
    if (faxLog_ != nullptr)
        faxLog_->fax = nullptr;
    faxLog_ = log;
    if (log != nullptr)
        log->fax = this;
}

void CvCustomAbstractFax::CheckPort() {
    if (port_ == nullptr) {
        throw PortNotAssigned();
    }
    if (!session_) {
        session_ = std::make_unique<FaxSession>(*port_, clock_, platform_);
        machine_ = CreateMachine(*session_);
    }
    if (port_->Settings().outSize < kMinOutputBuffer) {
        throw OutputBufferTooSmall();
    }
}

bool CvCustomAbstractFax::Running() const {
    return machine_ && machine_->Running();
}

unsigned CvCustomAbstractFax::SupportedFaxClasses() {
    if (session_ && session_->data.classesKnown) {
        return classMask_;
    }
    CheckPort();
    classMask_ = FaxClassMask(session_->modem.control.DetectFaxClasses(false));
    return classMask_;
}

void CvCustomAbstractFax::CancelFax() {
    if (machine_)
        machine_->RequestAbort();
}

void CvCustomAbstractFax::ApplySettings() {
    FaxSessionData& d = session_->data;
    ModemControl& control = session_->modem.control;
    control.SetInitBaud(initBaud, normalBaud);
    control.SetModemInit(modemInit);
    d.faxClass = faxClass;
    d.stationID = stationID.substr(0, kMaxStationID);
    d.options = (abortNoConnect ? kAbortNoConnect : 0u) | (exitOnError ? kExitOnError : 0u) |
                (softwareFlow ? kSoftwareFlow : 0u);
    d.statusInterval = statusInterval;
    d.faxFileExt = faxFileExt.substr(0, 3);
    session_->modem.params.desiredBPS = desiredBPS;
    session_->modem.desiredECM = desiredECM ? '1' : '0';
}

int CvCustomAbstractFax::FaxProgress() const {
    return session_ ? session_->data.faxProgress : 0;
}
int CvCustomAbstractFax::FaxErrorCode() const {
    return session_ ? session_->data.faxErrorCode : 0;
}
std::string CvCustomAbstractFax::RemoteID() const {
    return session_ ? session_->data.remoteID : "";
}
std::uint32_t CvCustomAbstractFax::SessionBPS() const {
    return session_ ? session_->modem.params.sessionBPS : 0;
}
bool CvCustomAbstractFax::SessionResolution() const {
    return session_ && session_->modem.params.sessionFine;
}
bool CvCustomAbstractFax::SessionWidth() const {
    return session_ && session_->modem.params.sessionWide;
}
bool CvCustomAbstractFax::SessionECM() const {
    return session_ && session_->modem.params.sessionECM;
}
std::uint16_t CvCustomAbstractFax::HangupCode() const {
    return session_ ? session_->modem.hangupCode : 0;
}

void CvCustomAbstractFax::HandleStatus(bool first, bool last) {
    if (statusDisplay_ != nullptr)
        statusDisplay_->UpdateDisplay(first, last);
    if (onFaxStatus)
        onFaxStatus(*this, first, last);
}

void CvCustomAbstractFax::HandleLog(int logCode) {
    if (faxLog_ != nullptr) {
        try {
            faxLog_->UpdateLog(logCode);
        } catch (const FaxError&) {
            // Errors never leave a running session; the entry is lost.
        }
    }
    if (onFaxLog)
        onFaxLog(*this, static_cast<FaxLogCode>(logCode));
    if (logCode >= static_cast<int>(FaxLogCode::lcReceiveOK))
        faxFile.clear();
}

void CvCustomAbstractFax::HandleError(int errorCode) {
    if (onFaxError)
        onFaxError(*this, errorCode);
}

void CvCustomAbstractFax::HandleFinish(int errorCode) {
    if (onFaxFinish)
        onFaxFinish(*this, errorCode);
}

std::optional<std::uint32_t> CvCustomAbstractFax::Deliver(OwnerMessage message,
                                                          std::uint32_t wParam, const OwnerReply&) {
    const auto signedParam = static_cast<int>(static_cast<std::int16_t>(wParam & 0xFFFF));
    switch (message) {
        case OwnerMessage::NextFax:
            return NextFaxMessage() ? 1u : 0u;
        case OwnerMessage::Status:
            HandleStatus(wParam == kStatusFirst, wParam == kStatusLast);
            return 0u;
        case OwnerMessage::Log:
            HandleLog(static_cast<int>(wParam));
            return 0u;
        case OwnerMessage::Error:
            HandleError(signedParam);
            return 0u;
        case OwnerMessage::FileName:
            FileNameMessage();
            if (session_)
                session_->data.faxFile = faxFile.substr(0, kMaxFileName);
            return 0u;
        case OwnerMessage::Accept:
            return AcceptMessage() ? 1u : 0u;
        case OwnerMessage::Finish:
            HandleFinish(signedParam);
            return 0u;
    }
    return 0u;
}

void CvCustomAbstractFax::Finished(std::int32_t faxErrorCode) {
    HandleFinish(static_cast<std::int16_t>(faxErrorCode & 0xFFFF));
}

// ---- send --------------------------------------------------------------

CvCustomSendFax::CvCustomSendFax(const Clock& clock, Platform& platform)
    : CvCustomAbstractFax(clock, platform) {}

std::unique_ptr<SessionDriver> CvCustomSendFax::CreateMachine(FaxSession& session) {
    return std::make_unique<SendMachine>(session, *this);
}

SendMachine* CvCustomSendFax::sendMachine() const {
    return static_cast<SendMachine*>(machine());
}

void CvCustomSendFax::HandleNextFax(std::string& number, std::string& fax, std::string& cover) {
    if (onFaxNext) {
        number.clear();
        fax.clear();
        cover.clear();
        onFaxNext(*this, number, fax, cover);
        phoneNumber = number;
        faxFile = fax;
        coverFile = cover;
        return;
    }
    if (nextFaxTaken_) {
        number.clear();
        fax.clear();
        cover.clear();
        return;
    }
    nextFaxTaken_ = true;
    number = phoneNumber;
    fax = faxFile;
    cover = coverFile;
}

bool CvCustomSendFax::NextFaxMessage() {
    std::string number, fax, cover;
    HandleNextFax(number, fax, cover);
    if (number.empty()) {
        return false;
    }
    // The names keep their spelling: paths here are case-sensitive.
    FaxSessionData& d = session()->data;
    d.phoneNumber = number.substr(0, kMaxPhoneNumber);
    d.faxFile = fax;
    d.coverFile = cover;
    return true;
}

void CvCustomSendFax::ApplySettings() {
    CvCustomAbstractFax::ApplySettings();
    FaxSession& s = *session();
    ModemControl& control = s.modem.control;
    control.SetBlindDial(blindDial);
    control.SetDetectBusy(detectBusy);
    control.toneDial = toneDial;
    control.dialWait = dialWaitTicks_;
    s.data.dialAttempts = dialAttempts;
    s.data.dialRetryWait = dialRetryWaitTicks_;
    s.data.headerSender = headerSender;
    s.data.headerRecipient = headerRecipient;
    s.data.headerTitle = headerTitle;
    SendMachine& m = *sendMachine();
    m.maxSendCount = maxSendCount;
    m.bufferMinimum = bufferMinimum;
    m.headerLine = headerLine.substr(0, kMaxFileName);
    m.dialPrefix = dialPrefix.substr(0, kMaxPhoneNumber);
}

void CvCustomSendFax::StartTransmit() {
    CheckPort();
    nextFaxTaken_ = false;
    ApplySettings();
    sendMachine()->StartSession();
}

std::uint16_t CvCustomSendFax::DialAttempt() const {
    return static_cast<std::uint16_t>(session() ? session()->data.dialCount + 1 : 1);
}

int CvCustomSendFax::TotalPages() const {
    return session() ? session()->data.faxPages : 0;
}

int CvCustomSendFax::CurrentPage() const {
    if (!session())
        return 0;
    return session()->data.sendingCover ? 0 : session()->data.currentPage;
}

std::int32_t CvCustomSendFax::BytesTransferred() const {
    if (!session())
        return 0;
    std::size_t queued = session()->port.OutBuffUsed();
    if (queued == 1)
        queued = 0;  // a lone byte is the port's own
    return std::max<std::int32_t>(
        0, session()->data.bytesTransferred - static_cast<std::int32_t>(queued));
}

std::int32_t CvCustomSendFax::PageLength() const {
    return session() ? session()->data.pageLength : 0;
}

}  // namespace corvane::engine
