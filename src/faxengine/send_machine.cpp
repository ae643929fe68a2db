#include "faxengine/send_machine.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "faxengine/engine_codes.h"
#include "faxengine/fax_progress.h"
#include "faxengine/modem_text.h"
#include "faxengine/page_data.h"
#include "faxengine/t30_frames.h"
#include "faximage/fax_errors.h"
#include "faximage/t4_codec.h"

namespace corvane::engine {

namespace {
constexpr std::uint32_t kBlockSize = 4096;
constexpr std::uint32_t kXONWaitTicks = 18;
constexpr std::uint32_t kPostPageReplyTicks = 54;
constexpr std::uint32_t kHangupReplyTicks = 26;
constexpr std::uint32_t kPageDataTicks = 546;
constexpr std::uint32_t kFrameWaitMs = 200;
constexpr std::uint32_t kPostPageWaitMs = 500;
constexpr int kMaxPostPageTries = 3;
constexpr std::size_t kMaxCoverLine = 255;
constexpr int kHeaderBlankLines = 8;
constexpr std::uint8_t kXON = 17;
constexpr int ecNoFileName = -6010;
constexpr int ecDiskReadError = -100;
constexpr int ecFaxTrainError = -8072;
constexpr int ecFaxBusy = -8074;
constexpr int ecFaxVoiceCall = -8075;
constexpr int ecFaxNoDialTone = -8077;
constexpr int ecFaxNoCarrier = -8078;
constexpr int ecFaxSessionError = -8079;
constexpr int ecFaxPageError = -8080;
constexpr int ecMixedResolution = -8082;

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

// The cover is an APF file when its name ends in "." + the fax extension.
bool NamesApfFile(const std::string& name, std::string_view ext) {
    const std::size_t dot = name.rfind('.');
    return dot != std::string::npos && EqualNoCase(std::string_view(name).substr(dot + 1), ext);
}
}  // namespace

using S = SendState;
using M = SendMachine;
constexpr StateKind kImmediate = StateKind::Immediate;
constexpr StateKind kReply = StateKind::Reply;
constexpr StateKind kWaiting = StateKind::Waiting;

const M::Table M::kTable{{
    {"NextFax", kImmediate, &M::NextFax, nullptr},
    {"PrepareFax", kImmediate, &M::PrepareFax, nullptr},
    {"Class1Selected", kReply, &M::Class1Selected, &M::ReplyTimedOut},
    {"ClassSelected", kReply, &M::ClassSelected, &M::ReplyTimedOut},
    {"LocalIDSet", kReply, &M::LocalIDSet, &M::ReplyTimedOut},
    {"FlowSet", kReply, &M::FlowSet, &M::ReplyTimedOut},
    {"ParamsReady", kReply, &M::ParamsReady, &M::ReplyTimedOut},
    {"ParamsSet", kReply, &M::ParamsSet, &M::ReplyTimedOut},
    {"Dial", kImmediate, &M::Dial, nullptr},
    {"RedialWait", kWaiting, &M::RedialWait, nullptr},
    {"Class1Dialing", kReply, &M::Class1Dialing, &M::ReplyTimedOut},
    {"TSIReady", kReply, &M::TSIReady, &M::ReplyTimedOut},
    {"DCSReady", kReply, &M::DCSReady, &M::ReplyTimedOut},
    {"DCSSent", kReply, &M::DCSSent, &M::ReplyTimedOut},
    {"TCFReady", kReply, &M::TCFReady, &M::ReplyTimedOut},
    {"TCFSent", kReply, &M::TCFSent, &M::ReplyTimedOut},
    {"TrainingReply", kReply, &M::TrainingReply, &M::ReplyTimedOut},
    {"PageConnect", kReply, &M::PageConnect, &M::ReplyTimedOut},
    {"Class2Dialing", kReply, &M::Class2Dialing, &M::ReplyTimedOut},
    {"Class2Negotiating", kReply, &M::Class2Negotiating, &M::ReplyTimedOut},
    {"XONWait", kWaiting, &M::XONWait, nullptr},
    {"BufferWait", kWaiting, &M::BufferWait, nullptr},
    {"PageStart", kImmediate, &M::PageStart, nullptr},
    {"CoverStart", kImmediate, &M::CoverStart, nullptr},
    {"CoverText", kWaiting, &M::CoverText, nullptr},
    {"PageDataStart", kImmediate, &M::PageDataStart, nullptr},
    {"PageData", kWaiting, &M::PageData, nullptr},
    {"PageDrain", kWaiting, &M::PageDrain, nullptr},
    {"Class1DataEnd", kReply, &M::Class1DataEnd, &M::ReplyTimedOut},
    {"PostPage", kImmediate, &M::PostPage, nullptr},
    {"PostPageReady", kReply, &M::PostPageReady, &M::ReplyTimedOut},
    {"PostPageSent", kReply, &M::PostPageSent, &M::ReplyTimedOut},
    {"PostPageReply", kReply, &M::PostPageReply, &M::PostPageTimedOut},
    {"DCNReady", kReply, &M::DCNReady, &M::ReplyTimedOut},
    {"DCNSent", kReply, &M::DCNSent, &M::ReplyTimedOut},
    {"HangupReply", kReply, &M::HangupReply, &M::HangupTimedOut},
    {"Class2PageEnd", kImmediate, &M::Class2PageEnd, nullptr},
    {"Class2DataEnd", kReply, &M::Class2DataEnd, &M::ReplyTimedOut},
    {"Class2PageStatus", kReply, &M::Class2PageStatus, &M::ReplyTimedOut},
    {"Class20PageStatus", kReply, &M::Class20PageStatus, &M::ReplyTimedOut},
    {"Class2Resend", kReply, &M::Class2Resend, &M::ReplyTimedOut},
    {"NextPage", kImmediate, &M::NextPage, nullptr},
    {"FaxDone", kImmediate, &M::FaxDone, nullptr},
    {"AllDone", kImmediate, &M::AllDone, nullptr},
    {"FaxFailed", kImmediate, &M::FaxFailed, nullptr},
    {"Stopped", kWaiting, &M::Stopped, nullptr},
}};

SendMachine::SendMachine(FaxSession& session, SessionOwner& owner)
    : StateMachine(session, owner, kTable, S::Stopped, S::FaxFailed) {
    session.data.dialAttempts = 3;
    session.data.sender = true;
    faximage::CreateTextConverter(text_);
}

SendMachine::~SendMachine() { CloseFiles(); }

// ---- driver hooks ------------------------------------------------------

void SendMachine::Prepare() {
    FaxSessionData& d = data();
    params().pageResolution = ' ';
    modem().fileHeader = {};
    SetState(S::NextFax);
    d.faxProgress = kProgressInitializing;
    d.faxErrorCode = 0;
    ReportStatus(true, false);
    d.bytesTransferred = 0;
    d.currentPage = 1;
    d.pageLength = 0;
    d.remoteID.clear();
    d.faxFile.clear();
    d.coverFile.clear();
    d.phoneNumber.clear();
    d.coverPages = 0;
    d.dialCount = 0;
    ComPort& port = session().port;
    port.ChangeBaud(19200);
    port.SetModem(true, true);
    if (!text_) {
        ReportError(ecOutOfMemory);
        return;
    }
    if (d.faxClass == FaxClass::fcUnknown) {
        d.faxClass = FaxClass::fcDetect;
    }
    if (d.faxClass == FaxClass::fcDetect) {
        const std::optional<FaxClass> chosen =
            AutomaticFaxClass(control().DetectFaxClasses(true));
        if (!chosen) {
            ReportError(ecFaxBadModemResult);
            return;
        }
        d.faxClass = *chosen;
    }
    if (!control().modemReady && !control().InitModem()) {
        ReportError(ecFaxBadModemResult);
        return;
    }
    control().classCommands = d.faxClass == FaxClass::fcClass2     ? &kClass2Commands
                              : d.faxClass == FaxClass::fcClass2_0 ? &kClass20Commands
                                                                   : nullptr;
    control().SwitchToNormalBaud();
    if (Class1()) {
        control().QueryClass1Rates(true);
        params().localRates = control().LocalRates();
    }
    d.classesKnown = true;
}

void SendMachine::RunState(const SessionEvent& event) {
    const auto spec = [this] { return kTable[static_cast<std::size_t>(state())]; };
    if (spec().kind == kReply && event.data) {
        LineFailed();  // may move to FaxFailed, whose handler then runs
    }
    (this->*spec().handler)(event);
}

bool SendMachine::LineFailed() {
    const S s = state();
    // Class 2.0 refuses a page with ERROR; that state asks for the page status.
    if (control().ReplyError() && s != S::PostPageReady && s != S::PostPageReply &&
        s != S::Class20PageStatus) {
        Fail(ecFaxBadModemResult);
        return true;
    }
    if (control().ReplyHangup() && s != S::Class2PageStatus && s != S::Class20PageStatus) {
        modem().hangupCode = static_cast<std::uint16_t>(ParseHangupCode(control().ResponseBuffer()));
        Fail(ecFaxBadModemResult);
        return true;
    }
    return false;
}

bool SendMachine::FrameReceived() {
    const bool inPostPage = state() == S::PostPageReply;
    const ParsedFrame frame = ParseFrame(session());
    if (frame.result == ecCancelRequested || frame.result == ecFaxBadMachine) {
        Fail(frame.result);
        return true;
    }
    if (frame.retrain) {
        resendPage_ = resendPage_ || (inPostPage && (params().lastFCF & 0xFE) == (kFcfRTN & 0xFE));
        if (!FallBack(params())) {
            Fail(ecFaxTrainError);
            return true;
        }
        control().TransmitFrameCommand();
        SetState(S::DCSReady);
    }
    return false;
}

// ---- helpers -----------------------------------------------------------

void SendMachine::Fail(int code) {
    ReportError(code);
    SetState(S::FaxFailed);
}

void SendMachine::SetTimeout(std::uint32_t ticks) {
    session().port.SetTimerTrigger(data().timeoutTimer, ticks, true);
}

void SendMachine::ArmBufferFree(std::uint32_t freeBytes) {
    session().port.SetStatusTrigger(data().outputFreeTrigger, freeBytes, true);
}

void SendMachine::ArmBufferUsed() {
    session().port.SetStatusTrigger(data().outputUsedTrigger, 0, true);
}

bool SendMachine::BufferFreeEvent(const SessionEvent& event) {
    return event.message == kMsgStatusTrigger && event.handle == data().outputFreeTrigger;
}

bool SendMachine::BufferUsedEvent(const SessionEvent& event) {
    return event.message == kMsgStatusTrigger && event.handle == data().outputUsedTrigger;
}

void SendMachine::SoftwareFlow(bool on) {
    if ((data().options & kSoftwareFlow) == 0) {
        return;
    }
    ComPort& port = session().port;
    if (on) {
        port.SWFlowEnable(port.Settings().bufferFull, port.Settings().bufferResume,
                          FlowDirection::Transmit);
    } else {
        port.SWFlowDisable();
    }
}

int SendMachine::OpenFax(const std::string& name) {
    return fax_.Open(ApfFileName(name, data().faxFileExt));
}

int SendMachine::PositionPage() {
    if (const int code = fax_.SeekPage(data().currentPage); code != 0) {
        return code;
    }
    if (const int code = fax_.ReadPageHeader(modem().pageHeader); code != 0) {
        return code;
    }
    modem().lineMode = (modem().pageHeader.pageFlags & faximage::pfCountedLines) != 0;
    return 0;
}

int SendMachine::OpenCover() {
    if (coverIsApf_) {
        fax_.Close();
        if (const int code = OpenFax(data().coverFile); code != 0) {
            return code;
        }
        if (const int code = fax_.SeekPage(1); code != 0) {
            return code;
        }
        const int code = fax_.ReadPageHeader(modem().pageHeader);
        modem().lineMode = (modem().pageHeader.pageFlags & faximage::pfCountedLines) != 0;
        return code;
    }
    coverText_.close();
    coverText_.clear();
    coverText_.open(data().coverFile);
    if (!coverText_.is_open()) {
        return FileErrorCode(errno);
    }
    coverTextOpen_ = true;
    return faximage::LoadFaxFont(*text_, "", faximage::kStandardFontBytesPerGlyph,
                                 params().pageResolution == '1');
}

void SendMachine::CloseFiles() {
    fax_.Close();
    if (coverTextOpen_) {
        coverText_.close();
        coverTextOpen_ = false;
    }
}

bool SendMachine::UpdateResolution() {
    const char old = params().pageResolution;
    params().pageResolution = modem().PageFine() ? '1' : '0';
    if (old != ' ' && old != params().pageResolution) {
        // Told to the owner; the fax still goes, so a good end still finishes with 0.
        const std::int32_t kept = data().faxErrorCode;
        ReportError(ecMixedResolution);
        data().faxErrorCode = kept;
    }
    return true;
}

bool SendMachine::NextPageFile() {
    FaxSessionData& d = data();
    int code = 0;
    if (d.sendingCover) {
        if (coverIsApf_) {
            fax_.Close();
            code = OpenFax(d.faxFile);
        } else if (coverTextOpen_) {
            coverText_.close();
            coverTextOpen_ = false;
        }
        d.sendingCover = false;
        d.coverFile.clear();
    } else {
        ++d.currentPage;
        d.bytesTransferred = 0;
    }
    if (code == 0) {
        code = PositionPage();
    }
    if (code != 0) {
        Fail(code);
        return false;
    }
    UpdateResolution();
    pageTries_ = 0;
    return true;
}

bool SendMachine::MorePages() {
    const FaxSessionData& d = data();
    return !d.faxFile.empty() && (d.sendingCover || d.currentPage < d.faxPages);
}

bool SendMachine::ResendPage() {
    resendPage_ = false;
    if (++pageTries_ > pageTryLimit) {
        Fail(ecFaxSessionError);
        return false;
    }
    FaxSessionData& d = data();
    int code = 0;
    if (d.sendingCover) {
        if (coverIsApf_) {
            code = fax_.SeekPage(1);
            if (code == 0) {
                code = fax_.ReadPageHeader(modem().pageHeader);
            }
        } else if (coverTextOpen_) {
            // CoverStart opens it again from its start.
            coverText_.close();
            coverTextOpen_ = false;
        }
    } else {
        code = PositionPage();
    }
    if (code != 0) {
        Fail(code);
        return false;
    }
    return true;
}

std::string SendMachine::Expand(std::string_view text) {
    const FaxSessionData& d = data();
    HeaderValues values;
    values.date = LocalDateText();
    values.time = LocalTimeText();
    values.sender = d.headerSender;
    values.recipient = d.headerRecipient;
    values.title = d.headerTitle;
    values.stationID = d.stationID;
    values.pages = d.faxPages + d.coverPages;
    values.page = d.coverPages == 0 ? d.currentPage : d.sendingCover ? 1 : d.currentPage + 1;
    return ExpandHeader(text, values);
}

void SendMachine::ZeroFill() {
    const std::size_t used = session().port.OutBuffUsed();
    if (used <= bufferMinimum) {
        const std::vector<std::uint8_t> zeros(bufferMinimum - used + 1, 0);
        session().port.PutBlock(zeros);
    }
}

void SendMachine::PutTextRows(std::string_view text, int firstRow) {
    faximage::T4Encoder& encoder = text_->converter->encoder;
    encoder.width = modem().PageWide() ? faximage::kWideLineWidth : faximage::kStandardLineWidth;
    std::array<std::uint8_t, kBlockSize> raster{};
    for (int row = firstRow; row <= text_->metrics.rows; ++row) {
        raster.fill(0);
        faximage::RenderTextRow(*text_, text, row, raster);
        faximage::EncodeLine(encoder, raster.data());
        PutLine(session(), std::span(encoder.buffer.data(), static_cast<std::size_t>(encoder.bytePos)));
    }
}

int SendMachine::PutPageBlock() {
    FaxSessionData& d = data();
    FaxModemData& m = modem();
    std::size_t count = 0;
    if (m.lineMode) {
        std::array<std::uint8_t, 2> length{};
        if (const int code = fax_.Read(length); code != 0) {
            return code;
        }
        const std::size_t n = length[0] | (std::size_t{length[1]} << 8);
        if (n > kBlockSize || d.bytesTransferred + 2 + static_cast<std::int64_t>(n) > d.pageLength) {
            return ecFaxBadFormat;
        }
        if (const int code = fax_.Read(std::span(m.dataBuffer.data(), n)); code != 0) {
            return code;
        }
        count = std::max<std::size_t>(n, params().minLineBytes);
        std::fill(m.dataBuffer.begin() + static_cast<std::ptrdiff_t>(n),
                  m.dataBuffer.begin() + static_cast<std::ptrdiff_t>(count), 0);
        d.bytesTransferred += static_cast<std::int32_t>(n + 2);
    } else {
        count = static_cast<std::size_t>(
            std::min<std::int64_t>(kBlockSize, std::int64_t{d.pageLength} - d.bytesTransferred));
        if (const int code = fax_.Read(std::span(m.dataBuffer.data(), count)); code != 0) {
            return code;
        }
        d.bytesTransferred += static_cast<std::int32_t>(count);
    }
    m.dataCount = static_cast<std::uint16_t>(count);
    PutData(session(), std::span(m.dataBuffer.data(), count));
    return 0;
}

void SendMachine::BusyRule() {
    FaxSessionData& d = data();
    ++d.dialCount;
    if (d.dialAttempts == 0 || d.dialCount < d.dialAttempts) {
        d.faxProgress = kProgressBusyWait;
        modem().statusChanged = true;
        SetTimeout(d.dialRetryWait);
        SetState(S::RedialWait);
        return;
    }
    ReportStatus(false, false);
    if ((d.options & kAbortNoConnect) != 0) {
        Fail(ecFaxBusy);
        return;
    }
    // The line is already free: the next fax needs no hang-up.
    fax_.Close();
    ReportError(ecFaxBusy);
    ReportLog(static_cast<int>(FaxLogCode::lcTransmitFail));
    d.faxProgress = kProgressInitializing;
    SetState(S::NextFax);
}

// The call outcomes both kinds of dialing share; false for other lines.
bool SendMachine::DialOutcome() {
    const std::string& reply = control().ResponseBuffer();
    if (reply.find("BUSY") != std::string::npos || reply.find("ANSWER") != std::string::npos) {
        BusyRule();
    } else if (reply.find("VOICE") != std::string::npos) {
        Fail(ecFaxVoiceCall);
    } else if (reply.find("NO DIAL") != std::string::npos) {
        Fail(ecFaxNoDialTone);
    } else if (control().ReplyNoCarrier()) {
        Fail(ecFaxNoCarrier);
    } else {
        return false;
    }
    return true;
}

// ---- states ------------------------------------------------------------

void SendMachine::NextFax(const SessionEvent&) {
    FaxSessionData& d = data();
    if (SendToOwner(OwnerMessage::NextFax, 0) == 0 || d.phoneNumber.empty()) {
        SetState(S::AllDone);
        return;
    }
    ReportLog(static_cast<int>(FaxLogCode::lcTransmitStart));
    d.dialCount = 0;
    d.sendingCover = false;
    coverIsApf_ = false;
    d.faxPages = 0;
    d.coverPages = 0;
    pageTries_ = 0;
    resendPage_ = false;
    modem().hangupCode = 0;
    d.bytesTransferred = 0;
    d.currentPage = 1;
    d.pageLength = 0;
    d.remoteID.clear();
    if (!d.faxFile.empty()) {
        if (const int code = OpenFax(d.faxFile); code != 0) {
            Fail(code);
            return;
        }
        d.faxPages = fax_.Header().pageCount;
    } else if (d.coverFile.empty()) {
        Fail(ecNoFileName);
        return;
    }
    SetState(S::PrepareFax);
    SoftwareFlow(false);
}

void SendMachine::PrepareFax(const SessionEvent&) {
    FaxSessionData& d = data();
    std::transform(d.stationID.begin(), d.stationID.end(), d.stationID.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (!d.coverFile.empty()) {
        d.coverPages = 1;
        d.sendingCover = true;
        coverIsApf_ = NamesApfFile(d.coverFile, d.faxFileExt);
    }
    if (!d.faxFile.empty()) {
        if (const int code = PositionPage(); code != 0) {
            Fail(code);
            return;
        }
        UpdateResolution();
    } else {
        params().pageResolution = '0';
        if (coverIsApf_) {
            if (const int code = OpenCover(); code != 0) {
                Fail(code);
                return;
            }
            params().pageResolution = modem().PageFine() ? '1' : '0';
            fax_.Close();
        }
    }
    d.faxProgress = kProgressInitializing;
    modem().statusChanged = true;
    if (Class1()) {
        control().SendCommand(kClass1Select);
        SetState(S::Class1Selected);
    } else {
        control().SendCommand(control().classCommands->selectClass);
        SetState(S::ClassSelected);
    }
}

void SendMachine::Class1Selected(const SessionEvent& event) {
    if (!event.data) return;
    if (control().ReplyOK()) {
        SetState(S::Dial);
    } else {
        Fail(ecFaxInitError);
    }
}

void SendMachine::ClassSelected(const SessionEvent& event) {
    if (!event.data) return;
    if (!control().ReplyOK()) {
        Fail(ecFaxInitError);
        return;
    }
    control().SendCommand(std::string(control().classCommands->localID) + "=\"" +
                          data().stationID + "\"");
    SetState(Class20() ? S::LocalIDSet : S::ParamsReady);
}

void SendMachine::LocalIDSet(const SessionEvent& event) {
    if (!event.data) return;
    if (!control().ReplyOK()) {
        Fail(ecFaxInitError);
        return;
    }
    control().SendCommand("AT+FLO=2");
    SetState(S::FlowSet);
}

void SendMachine::FlowSet(const SessionEvent& event) {
    if (!event.data) return;
    if (!control().ReplyOK()) {
        Fail(ecFaxInitError);
        return;
    }
    control().SendCommand("AT+FNR=1,1,1,0");
    SetState(S::ParamsReady);
}

void SendMachine::ParamsReady(const SessionEvent& event) {
    if (!event.data) return;
    if (!control().ReplyOK()) {
        Fail(ecFaxInitError);
        return;
    }
    control().SendCommand(std::string(control().classCommands->sessionParameters) + "=" +
                          params().pageResolution + "," +
                          std::string(Class2RateCode(params().desiredBPS)) + "," +
                          (modem().PageWide() ? "1" : "0") + ",2,0," + modem().desiredECM + ",0,0");
    SetState(S::ParamsSet);
}

void SendMachine::ParamsSet(const SessionEvent& event) {
    if (!event.data) return;
    if (control().ReplyOK()) {
        SetState(S::Dial);
    } else {
        Fail(ecFaxInitError);
    }
}

void SendMachine::Dial(const SessionEvent&) {
    control().SendCommand(std::string(control().toneDial ? "ATDT" : "ATDP") + dialPrefix +
                          data().phoneNumber);
    SetTimeout(control().dialWait);
    data().faxProgress = kProgressDialing;
    modem().statusChanged = true;
    SetState(Class1() ? S::Class1Dialing : S::Class2Dialing);
}

void SendMachine::RedialWait(const SessionEvent& event) {
    // Only the retry wait ends the pause; stray modem bytes are dropped.
    if (event.timeout) {
        SetState(S::Dial);
    } else if (event.data) {
        while (session().port.CharReady() && session().port.GetChar() >= 0) {
        }
    }
}

void SendMachine::Class1Dialing(const SessionEvent& event) {
    if (!event.data) return;
    if (control().ReplyConnect()) {
        control().ResetResponse();
    } else if (control().ReplyOK()) {
        if (params().finalFrame) {
            session().platform.BusyWait(kFrameWaitMs);
            control().TransmitFrameCommand();
            params().finalFrame = false;
            SetState(S::TSIReady);
        } else {
            control().ReceiveFrameCommand();
        }
    } else if (!DialOutcome()) {
        control().ResetResponse();
    }
}

void SendMachine::TSIReady(const SessionEvent& event) {
    if (!event.data) return;
    if (control().ReplyConnect()) {
        SendIDFrame(session(), kFcfTSI);
        control().ResetResponse();
        SetState(S::DCSReady);
    } else {
        control().ResetResponse();
    }
}

void SendMachine::DCSReady(const SessionEvent& event) {
    if (!event.data) return;
    if (control().ReplyConnect()) {
        SendCapabilityFrame(session(), CapabilityKind::DCS);
        control().ResetResponse();
        SetState(S::DCSSent);
    } else {
        control().ResetResponse();
    }
}

void SendMachine::DCSSent(const SessionEvent& event) {
    if (!event.data) return;
    if (control().ReplyOK()) {
        control().SendModulationCommand("AT+FTM=" + params().modulationCode);
        SetState(S::TCFReady);
    } else {
        control().ResetResponse();
    }
}

void SendMachine::TCFReady(const SessionEvent& event) {
    if (!event.data) return;
    if (control().ReplyConnect()) {
        SoftwareFlow(true);
        SendTrainingCheck(session());
        control().ResetResponse();
        SetState(S::TCFSent);
    } else {
        control().ResetResponse();
    }
}

void SendMachine::TCFSent(const SessionEvent& event) {
    if (!event.data || !control().ReplyOK()) return;
    SoftwareFlow(false);
    session().platform.BusyWait(kFrameWaitMs);
    control().ReceiveFrameCommand();
    params().cfrReceived = false;
    SetState(S::TrainingReply);
}

void SendMachine::TrainingReply(const SessionEvent& event) {
    if (!event.data) return;
    if (!control().ReplyOK()) {
        control().ResetResponse();
        return;
    }
    if (!params().finalFrame) {
        control().ReceiveFrameCommand();
        return;
    }
    session().platform.BusyWait(kFrameWaitMs);
    params().finalFrame = false;
    if (!params().cfrReceived) {
        control().TransmitFrameCommand();
        SetState(S::DCSReady);
        return;
    }
    if (resendPage_ && !ResendPage()) {
        return;
    }
    control().SendModulationCommand("AT+FTM=" + params().modulationCode);
    SetState(S::PageConnect);
}

void SendMachine::PageConnect(const SessionEvent& event) {
    if (!event.data) return;
    if (control().ReplyConnect()) {
        SetTimeout(kXONWaitTicks);
        SetState(S::XONWait);
    } else {
        control().ResetResponse();
    }
}

void SendMachine::Class2Dialing(const SessionEvent& event) {
    if (!event.data) return;
    if (control().ResponseBuffer().find(control().classCommands->connectReport) !=
        std::string::npos) {
        SetTimeout(control().replyTimeout);
        control().ClearResponseBuffer();
        SetState(S::Class2Negotiating);
    } else if (!DialOutcome()) {
        control().ResetResponse();
    }
}

void SendMachine::Class2Negotiating(const SessionEvent& event) {
    if (!event.data) return;
    const ClassCommandTable& commands = *control().classCommands;
    const std::string& reply = control().ResponseBuffer();
    const auto has = [&](std::string_view tag) { return reply.find(tag) != std::string::npos; };
    if (has(commands.remoteCapabilitiesReport)) {
        DecodeClass2Report(params(), StripTag(reply));
        if ((modem().PageWide() && !params().remoteWide) ||
            (modem().PageFine() && !params().remoteFine)) {
            Fail(ecFaxBadMachine);
            return;
        }
        data().faxProgress = kProgressConnectionParams;
        modem().statusChanged = true;
        control().ResetResponse();
    } else if (has(commands.calledIDReport)) {
        data().remoteID = CleanID(StripTag(reply)).substr(0, kMaxStationID);
        data().faxProgress = kProgressGotRemoteID;
        modem().statusChanged = true;
        control().ResetResponse();
    } else if (has(commands.sessionParametersReport)) {
        DecodeClass2Report(params(), StripTag(reply));
        data().faxProgress = kProgressConnectionParams;
        modem().statusChanged = true;
        control().ResetResponse();
    } else if (control().ReplyConnect()) {
        if (Class20()) {
            ArmBufferFree(kBlockSize);
            SetTimeout(control().dataTimeout);
            SetState(S::BufferWait);
        } else {
            SetTimeout(kXONWaitTicks);
            SetState(S::XONWait);
        }
    } else if (control().ReplyOK()) {
        control().SendCommand("AT+FDT");
        SetTimeout(kPageDataTicks);
    } else {
        control().ResetResponse();
    }
}

void SendMachine::XONWait(const SessionEvent& event) {
    bool go = event.timeout;
    if (event.data && session().port.CharReady()) {
        go = session().port.GetChar() == kXON;
    }
    if (go) {
        ArmBufferFree(kBlockSize);
        SetTimeout(control().dataTimeout);
        SetState(S::BufferWait);
    }
}

void SendMachine::BufferWait(const SessionEvent& event) {
    if (BufferFreeEvent(event)) {
        data().faxProgress = kProgressSendingPage;
        SoftwareFlow(true);
        SetState(S::PageStart);
    } else if (event.timeout) {
        Fail(ecTimeout);
    }
}

void SendMachine::PageStart(const SessionEvent&) {
    if (const int code = faximage::LoadFaxFont(*text_, "", faximage::kSmallFontBytesPerGlyph,
                                               params().pageResolution == '1');
        code != 0) {
        Fail(code);
        return;
    }
    PutBlankLines(session(), kHeaderBlankLines);
    if (!headerLine.empty()) {
        const std::string text = Expand(headerLine);
        ZeroFill();
        PutTextRows(text);
    }
    ZeroFill();
    SetState(data().coverFile.empty() ? S::PageDataStart : S::CoverStart);
}

void SendMachine::CoverStart(const SessionEvent&) {
    data().bytesTransferred = 0;
    if (const int code = OpenCover(); code != 0) {
        Fail(code);
        return;
    }
    if (coverIsApf_) {
        SetState(S::PageDataStart);
        return;
    }
    SetTimeout(control().dataTimeout);
    ArmBufferFree(kBlockSize + 1);
    data().faxProgress = kProgressSendingPage;
    SetState(S::CoverText);
}

void SendMachine::CoverText(const SessionEvent& event) {
    if (event.timeout) {
        ReportError(ecTimeout);
        modem().statusChanged = true;
        SetState(S::FaxFailed);
        return;
    }
    if (!BufferFreeEvent(event)) return;
    ComPort& port = session().port;
    while (coverText_.peek() != std::char_traits<char>::eof() && port.OutBuffFree() > kBlockSize) {
        std::string line;
        std::getline(coverText_, line);
        if (coverText_.bad()) {
            Fail(ecDiskReadError);
            return;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > kMaxCoverLine) line.resize(kMaxCoverLine);
        PutTextRows(Expand(line));
    }
    if (coverText_.peek() != std::char_traits<char>::eof()) {
        SetTimeout(control().dataTimeout);
        ArmBufferFree(kBlockSize + 1);
        return;
    }
    PutData(session(), faximage::kEndOfPageRecord);
    if (params().minLineBytes >= faximage::kEndOfPageRecord.size()) {
        const std::vector<std::uint8_t> zeros(params().minLineBytes - 11, 0);
        PutData(session(), zeros);
    }
    if (Class1()) {
        EndData(session());
        data().faxProgress = kProgressSendingPage;
    }
    SetTimeout(control().dataTimeout);
    ArmBufferUsed();
    SetState(S::PageDrain);
}

void SendMachine::PageDataStart(const SessionEvent&) {
    data().bytesTransferred = 0;
    data().pageLength = static_cast<std::int32_t>(
        std::min<std::uint32_t>(modem().pageHeader.dataLength, 0x7FFFFFFF));
    modem().statusChanged = true;
    SetTimeout(control().dataTimeout);
    ArmBufferFree(kBlockSize);
    SetState(S::PageData);
}

void SendMachine::PageData(const SessionEvent& event) {
    ComPort& port = session().port;
    FaxSessionData& d = data();
    if (event.timeout) {
        ReportError(ecTimeout);
        modem().statusChanged = true;
        SetState(S::FaxFailed);
        return;
    }
    if (event.data) {
        while (port.CharReady() && port.GetChar() >= 0) {
        }
        return;
    }
    if (!BufferFreeEvent(event)) return;
    const Clock& clock = session().clock;
    TickTimer keepAlive = StartTimer(clock, SecondsToTicks(3 * d.statusInterval));
    for (int blocks = 0; blocks < maxSendCount && port.OutBuffUsed() <= bufferMinimum &&
                         port.OutBuffFree() >= kBlockSize;
         ++blocks) {
        if (TimerExpired(keepAlive, clock)) {
            modem().statusChanged = false;
            ReportStatus(false, false);
            port.SetTimerTrigger(d.statusTimer, SecondsToTicks(d.statusInterval), true);
            keepAlive = StartTimer(clock, SecondsToTicks(2 * d.statusInterval));
        }
        if (d.bytesTransferred >= d.pageLength) {
            if (Class1()) {
                EndData(session());
                d.faxProgress = kProgressSendingPage;
            }
            SetState(S::PageDrain);
            break;
        }
        if (const int code = PutPageBlock(); code != 0) {
            Fail(code);
            return;
        }
    }
    SetTimeout(control().dataTimeout);
    if (state() == S::PageDrain) {
        ArmBufferUsed();
    } else {
        // Woken only once the loop above can send again: a trigger at 4096
        // free bytes would fire at once while more than BufferMinimum wait.
        const std::size_t outSize = port.Settings().outSize;
        ArmBufferFree(static_cast<std::uint32_t>(
            std::max<std::size_t>(kBlockSize, outSize > bufferMinimum ? outSize - bufferMinimum : 0)));
    }
}

void SendMachine::PageDrain(const SessionEvent& event) {
    ComPort& port = session().port;
    if (event.timeout) {
        Fail(ecTimeout);
        return;
    }
    if (event.data) {
        while (port.CharReady() && port.GetChar() >= 0) {
        }
        return;
    }
    if (!BufferUsedEvent(event)) return;
    SoftwareFlow(false);
    if (Class1()) {
        SetState(S::Class1DataEnd);
    } else if (Class20()) {
        const std::uint8_t end[] = {kDLE, static_cast<std::uint8_t>(MorePages() ? ',' : '.')};
        port.PutBlock(end);
        SetState(S::Class2PageEnd);
    } else {
        const std::uint8_t end[] = {kDLE, kETX};
        port.PutBlock(end);
        SetState(S::Class2PageEnd);
    }
    modem().statusChanged = true;
    data().faxProgress = kProgressSendingPage;
}

void SendMachine::Class1DataEnd(const SessionEvent& event) {
    if (!event.data) return;
    if (control().ReplyOK()) {
        modem().postPageTries = 0;
        data().faxProgress = kProgressSendingEOP;
        SetState(S::PostPage);
    } else {
        control().ResetResponse();
    }
}

void SendMachine::PostPage(const SessionEvent&) {
    if (++modem().postPageTries > kMaxPostPageTries) {
        ReportError(ecTimeout);
        modem().statusChanged = true;
        SetState(S::FaxFailed);
        return;
    }
    session().platform.BusyWait(kPostPageWaitMs);
    control().TransmitFrameCommand();
    SetState(S::PostPageReady);
}

void SendMachine::PostPageReady(const SessionEvent& event) {
    if (!event.data) return;
    if (control().ReplyConnect()) {
        SendShortFrame(session(), MorePages() ? kFcfMPS : kFcfEOP);
        control().ResetResponse();
        SetState(S::PostPageSent);
    } else {
        control().ResetResponse();
    }
}

void SendMachine::PostPageSent(const SessionEvent& event) {
    if (!event.data) return;
    if (control().ReplyOK()) {
        session().platform.BusyWait(kFrameWaitMs);
        control().ReceiveFrameCommand();
        SetTimeout(kPostPageReplyTicks);
        SetState(S::PostPageReply);
    } else {
        control().ResetResponse();
    }
}

void SendMachine::PostPageReply(const SessionEvent& event) {
    if (!event.data) return;
    if (control().ReplyConnect()) {
        control().ResetResponse();
    } else if (control().ReplyError()) {
        SetState(S::PostPage);
    } else if (control().ReplyOK()) {
        if (!params().finalFrame) {
            control().ReceiveFrameCommand();
            return;
        }
        params().finalFrame = false;
        const bool more = MorePages();
        switch (params().lastFCF) {
            case kFcfMCF:
            case kFcfMCF | 1:
                if (more) {
                    if (!NextPageFile()) return;
                    control().SendModulationCommand("AT+FTM=" + params().modulationCode);
                    SetState(S::PageConnect);
                } else {
                    control().TransmitFrameCommand();
                    SetState(S::DCNReady);
                }
                break;
            case kFcfRTP:
            case kFcfRTP | 1:
                if (more && !NextPageFile()) return;
                control().TransmitFrameCommand();
                SetState(more ? S::DCSReady : S::DCNReady);
                break;
            default:
                break;
        }
    } else {
        control().ResetResponse();
    }
}

void SendMachine::PostPageTimedOut() {
    session().port.PutChar(' ');
    SetState(S::PostPage);
}

void SendMachine::DCNReady(const SessionEvent& event) {
    if (!event.data) return;
    if (control().ReplyConnect()) {
        SendShortFrame(session(), kFcfDCN);
        control().ResetResponse();
        SetState(S::DCNSent);
    } else {
        control().ResetResponse();
    }
}

void SendMachine::DCNSent(const SessionEvent& event) {
    if (!event.data) return;
    if (control().ReplyOK()) {
        control().SendCommand("ATH");
        SetTimeout(kHangupReplyTicks);
        SetState(S::HangupReply);
    } else {
        control().ResetResponse();
    }
}

void SendMachine::HangupReply(const SessionEvent& event) {
    if (!event.data) return;
    if (control().ReplyOK()) {
        SetState(S::FaxDone);
    } else {
        control().ResetResponse();
    }
}

void SendMachine::HangupTimedOut() {
    control().SenderHangUp();
    SetState(S::FaxDone);
}

void SendMachine::ReplyTimedOut() { Fail(ecTimeout); }

void SendMachine::Class2PageEnd(const SessionEvent&) {
    control().ClearResponseBuffer();
    SetTimeout(control().dataTimeout);
    data().faxProgress = kProgressSendingEOP;
    modem().statusChanged = true;
    SetState(Class20() ? S::Class20PageStatus : S::Class2DataEnd);
}

void SendMachine::Class2DataEnd(const SessionEvent& event) {
    if (!event.data) return;
    if (!control().ReplyOK()) {
        Fail(ecFaxSessionError);
        return;
    }
    control().SendCommand(MorePages() ? "AT+FET=0" : "AT+FET=2");
    SetTimeout(control().dataTimeout);
    SetState(S::Class2PageStatus);
}

void SendMachine::Class2PageStatus(const SessionEvent& event) {
    if (!event.data) return;
    const std::string& reply = control().ResponseBuffer();
    if (control().ReplyHangup()) {
        modem().hangupCode = static_cast<std::uint16_t>(ParseHangupCode(reply));
        control().ResetResponse();
    } else if (reply.find(control().classCommands->pageStatusReport) != std::string::npos) {
        const std::string status = StripTag(reply);
        const char first = status.empty() ? '\0' : status.front();
        if (first == '1' || first == '3') {
            data().faxProgress = kProgressPageAccepted;
            modem().statusChanged = true;
            control().ResetResponse();
        } else if (first == '2') {
            data().faxProgress = kProgressPageError;
            modem().statusChanged = true;
            control().ResetResponse();
            SetState(S::Class2Resend);
        } else if (first == '4' || first == '5') {
            Fail(ecCancelRequested);
        } else {
            Fail(ecFaxPageError);
        }
    } else if (control().ReplyOK()) {
        SetState(S::NextPage);
    } else {
        Fail(ecFaxPageError);
    }
}

void SendMachine::Class20PageStatus(const SessionEvent& event) {
    if (!event.data) return;
    if (control().ReplyHangup()) {
        modem().hangupCode =
            static_cast<std::uint16_t>(ParseHangupCode(control().ResponseBuffer()));
        control().ResetResponse();
    } else if (control().ReplyError()) {
        control().SendCommand("AT+FPS?");
        data().faxProgress = kProgressPageError;
        modem().statusChanged = true;
        SetState(S::Class2Resend);
    } else if (control().ReplyOK()) {
        data().faxProgress = kProgressPageAccepted;
        modem().statusChanged = true;
        SetState(S::NextPage);
    } else {
        Fail(ecFaxPageError);
    }
}

void SendMachine::Class2Resend(const SessionEvent& event) {
    if (!event.data) return;
    if (!control().ReplyOK()) {
        // In class 2.0 the page-status answer to AT+FPS? comes before the OK.
        if (Class20()) {
            control().ResetResponse();
        } else {
            Fail(ecFaxSessionError);
        }
        return;
    }
    if (pageTries_ + 1 > pageTryLimit) {
        session().port.PutString("AT+FKS\r");
        ReportError(ecFaxSessionError);
        modem().statusChanged = true;
        SetState(S::FaxFailed);
        return;
    }
    if (!ResendPage()) return;
    control().SendCommand("AT+FDT");
    SetState(S::Class2Negotiating);
}

void SendMachine::NextPage(const SessionEvent&) {
    if (!MorePages()) {
        SetState(S::FaxDone);
        return;
    }
    if (!NextPageFile()) return;
    control().SendCommand("AT+FDT");
    SetState(S::Class2Negotiating);
}

void SendMachine::FaxDone(const SessionEvent&) {
    CloseFiles();
    pageTries_ = 0;
    data().sendingCover = false;
    data().faxProgress = kProgressFinished;
    modem().statusChanged = true;
    ReportLog(static_cast<int>(FaxLogCode::lcTransmitOK));
    control().SwitchToInitBaud();
    SetState(S::NextFax);
}

void SendMachine::AllDone(const SessionEvent&) {
    ReportStatus(false, true);
    SetState(S::Stopped);
    FinishSession();
    control().modemReady = false;
}

void SendMachine::FaxFailed(const SessionEvent&) {
    FaxSessionData& d = data();
    CloseFiles();
    ReportLog(static_cast<int>(FaxLogCode::lcTransmitFail));
    control().SenderHangUp();
    const bool aborted = d.faxProgress == kProgressUserAbort;
    if ((d.options & (kExitOnError | kAbortNoConnect)) != 0 || aborted) {
        d.faxProgress = kProgressUserAbort;
        ReportStatus(false, true);
        SetState(S::Stopped);
        FinishSession();
        control().modemReady = false;
    } else {
        SetState(S::NextFax);
    }
    control().SwitchToInitBaud();
}

}  // namespace corvane::engine
