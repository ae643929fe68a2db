#include "faxengine/send_machine.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>

#include "faxengine/engine_codes.h"
#include "faxengine/fax_progress.h"
#include "faxengine/modem_text.h"
#include "faxengine/page_data.h"
#include "faxengine/send_constants.h"
#include "faxengine/t30_frames.h"
#include "faximage/fax_errors.h"
#include "faximage/t4_codec.h"

namespace corvane::engine {

using namespace send;

namespace {
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
    : StateMachine(session, owner, kTable, S::Stopped, S::FaxFailed), MachineSteps(session) {
    session.data.dialAttempts = 3;
    session.data.sender = true;
    faximage::CreateTextConverter(text_);
}

SendMachine::~SendMachine() {
    CloseFiles();
}

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
        const std::optional<FaxClass> chosen = AutomaticFaxClass(control().DetectFaxClasses(true));
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
    const auto entry = [this] { return kTable[static_cast<std::size_t>(state())]; };
    if (entry().kind == kReply && event.data) {
        LineFailed();  // may move to FaxFailed, whose handler then runs
    }
    (this->*entry().handler)(event);
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
        modem().hangupCode =
            static_cast<std::uint16_t>(ParseHangupCode(control().ResponseBuffer()));
        Fail(ecFaxBadModemResult);
        return true;
    }
    return false;
}

void SendMachine::Fail(int code) {
    ReportError(code);
    SetState(S::FaxFailed);
}

void SendMachine::ArmForPageData() {
    // Header, cover and page data go only while at most BufferMinimum bytes
    // wait; a trigger at 4096 free bytes alone would fire again at once
    // while more are queued.
    const std::size_t outSize = session().port.Settings().outSize;
    ArmBufferFree(static_cast<std::uint32_t>(
        std::max<std::size_t>(kBlockSize, outSize > bufferMinimum ? outSize - bufferMinimum : 0)));
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
    coverRow_ = 0;
    errno = 0;
    coverText_.open(data().coverFile);
    if (!coverText_.is_open()) {
        return OpenFailureCode();
    }
    coverTextOpen_ = true;
    return faximage::LoadFaxFont(*text_, "", faximage::kStandardFontBytesPerGlyph,
                                 params().sessionFine);
}

void SendMachine::CloseFiles() {
    fax_.Close();
    if (coverTextOpen_) {
        coverText_.close();
        coverTextOpen_ = false;
    }
}

// A page of another resolution than the session's is brought to the
// session's when it is sent, so it never goes under a DCS that describes it
// wrongly.
void SendMachine::UpdateResolution() {
    params().pageResolution = modem().PageFine() ? '1' : '0';
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

bool SendMachine::Accepted(const SessionEvent& event) {
    if (!event.data)
        return false;
    if (!control().ReplyOK()) {
        Fail(ecFaxInitError);
        return false;
    }
    return true;
}

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
        DiscardInput();
    }
}

void SendMachine::ReplyTimedOut() {
    Fail(ecTimeout);
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
