// The class 2 and class 2.0 states of the receive machine: the modem's
// connect, identity and parameter reports, "AT+FDR" per page, the page
// status and post-page reports, and the hang-up report.
#include "faxengine/engine_codes.h"
#include "faxengine/fax_progress.h"
#include "faxengine/modem_text.h"
#include "faxengine/receive_machine.h"

namespace corvane::engine {

using S = ReceiveState;

namespace {
bool Has(const std::string& reply, std::string_view tag) {
    return reply.find(tag) != std::string::npos;
}
}  // namespace

void ReceiveMachine::Class2Answered(const SessionEvent& event) {
    if (!Awaited(event, Has(control().ResponseBuffer(), control().classCommands->connectReport)))
        return;
    SetTimeout(control().replyTimeout);
    Progress(kProgressCallIsFax);
    control().ResetResponse();
    SetState(S::RxClass2Negotiating);
}

void ReceiveMachine::RxClass2Negotiating(const SessionEvent& event) {
    if (!event.data)
        return;
    const ClassCommandTable& commands = *control().classCommands;
    const std::string& reply = control().ResponseBuffer();
    if (Has(reply, commands.transmittingIDReport)) {
        SetTimeout(control().replyTimeout);
        data().remoteID = CleanID(StripTag(reply)).substr(0, kMaxStationID);
        control().ResetResponse();
        if (nextPage_ == kNextNewFile)
            AcceptStep(true);
    } else if (Has(reply, commands.sessionParametersReport)) {
        DecodeParameters();
    } else if (control().ReplyOK()) {
        control().SendCommand("AT+FDR");
        modem().statusChanged = true;
        SetTimeout(control().replyTimeout);
        SetState(S::Class2AwaitPage);
    } else {
        control().ResetResponse();
    }
}

void ReceiveMachine::Class2AwaitPage(const SessionEvent& event) {
    if (!event.data)
        return;
    if (Has(control().ResponseBuffer(), control().classCommands->sessionParametersReport)) {
        DecodeParameters();
    } else if (control().ReplyConnect()) {
        SoftwareFlow(true);
        if (nextPage_ == kNextNewFile && !file_.IsOpen()) {
            // A sender that never named itself is taken as an unnamed station.
            if (!AcceptStep(true))
                return;
        }
        SetState(S::RxPageStart);
    } else {
        control().ResetResponse();
    }
}

void ReceiveMachine::Class2PostPage(const SessionEvent& event) {
    if (!event.data)
        return;
    const ClassCommandTable& commands = *control().classCommands;
    const std::string& reply = control().ResponseBuffer();
    if (Has(reply, commands.pageStatusReport)) {
        Progress(kProgressGettingPageEnd);
        const std::string status = StripTag(reply);
        const char first = status.empty() ? '\0' : status.front();
        if (first == '1' || first == '3' || first == '5') {
            if (!UpdatePageHeader()) {
                ReportError(data().faxErrorCode);
                SetState(S::CallFailed);
                return;
            }
        } else {
            // The sender repeats a bad page; the repeat takes its place.
            file_.DiscardPage();
            --data().currentPage;
        }
        control().ResetResponse();
    } else if (Has(reply, "+FET")) {
        Progress(kProgressGettingDocumentEnd);
        const std::string post = StripTag(reply);
        const char first = post.empty() ? '\0' : post.front();
        nextPage_ = first == '0'   ? kNextInOpenFile
                    : first == '1' ? kNextNewFile
                    : first == '2' ? kNextDocumentEnd
                    : first == '3' ? 1
                                   : 0;
        control().ResetResponse();
    } else if (control().ReplyError()) {
        if (file_.PageOpen()) {
            file_.DiscardPage();
            --data().currentPage;
        }
        control().SendCommand("AT+FDR");
        SetState(S::Class2AwaitPage);
    } else if (control().ReplyOK()) {
        // A page neither kept nor refused by a status report is not kept.
        if (file_.PageOpen()) {
            file_.DiscardPage();
            --data().currentPage;
        }
        control().SendCommand("AT+FDR");
        if (nextPage_ == kNextDocumentEnd) {
            CloseFile();
            ReportLog(static_cast<int>(FaxLogCode::lcReceiveOK));
            data().faxFile.clear();
            Progress(kProgressGettingHangup);
            SetState(S::Class2AwaitHangup);
        } else {
            SetState(S::Class2AwaitPage);
        }
    } else {
        control().ResetResponse();
    }
}

void ReceiveMachine::Class2AwaitHangup(const SessionEvent& event) {
    if (!event.data)
        return;
    if (control().ReplyHangup()) {
        modem().hangupCode =
            static_cast<std::uint16_t>(ParseHangupCode(control().ResponseBuffer()));
        Progress(kProgressGotHangup);
        control().ClearResponseBuffer();
    } else if (Has(control().ResponseBuffer(), "+FET")) {
        Progress(kProgressGettingHangup);
        control().ClearResponseBuffer();
    } else if (control().ReplyOK()) {
        SetState(S::CallDone);
    } else {
        control().ResetResponse();
    }
}

}  // namespace corvane::engine
