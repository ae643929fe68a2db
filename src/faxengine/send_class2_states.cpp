// The class 2 and class 2.0 states of the send machine: set-up commands, negotiation reports and
// page ends.
#include "faxengine/send_machine.h"

#include "faxengine/engine_codes.h"
#include "faxengine/fax_progress.h"
#include "faxengine/modem_text.h"
#include "faxengine/send_constants.h"

namespace corvane::engine {

using namespace send;
using S = SendState;

void SendMachine::ClassSelected(const SessionEvent& event) {
    if (!Accepted(event))
        return;
    control().SendCommand(std::string(control().classCommands->localID) + "=\"" + data().stationID +
                          "\"");
    SetState(Class20() ? S::LocalIDSet : S::ParamsReady);
}

void SendMachine::LocalIDSet(const SessionEvent& event) {
    if (!Accepted(event))
        return;
    control().SendCommand("AT+FLO=2");
    SetState(S::FlowSet);
}

void SendMachine::FlowSet(const SessionEvent& event) {
    if (!Accepted(event))
        return;
    control().SendCommand("AT+FNR=1,1,1,0");
    SetState(S::ParamsReady);
}

void SendMachine::ParamsReady(const SessionEvent& event) {
    if (!Accepted(event))
        return;
    control().SendCommand(std::string(control().classCommands->sessionParameters) + "=" +
                          params().pageResolution + "," +
                          std::string(Class2RateCode(params().desiredBPS)) + "," +
                          (modem().PageWide() ? "1" : "0") + ",2,0," + modem().desiredECM + ",0,0");
    SetState(S::ParamsSet);
}

void SendMachine::ParamsSet(const SessionEvent& event) {
    if (Accepted(event))
        SetState(S::Dial);
}

void SendMachine::Class2Dialing(const SessionEvent& event) {
    if (!event.data)
        return;
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
    if (!event.data)
        return;
    const ClassCommandTable& commands = *control().classCommands;
    const std::string& reply = control().ResponseBuffer();
    const auto has = [&](std::string_view tag) { return reply.find(tag) != std::string::npos; };
    if (has(commands.remoteCapabilitiesReport)) {
        // The modem settles the session on what the far end takes; its
        // session report says which, and the pages go in that form.
        DecodeClass2Report(params(), StripTag(reply));
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
            ArmForPageData();
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

void SendMachine::Class2PageEnd(const SessionEvent&) {
    control().ClearResponseBuffer();
    SetTimeout(control().dataTimeout);
    data().faxProgress = kProgressSendingEOP;
    modem().statusChanged = true;
    SetState(Class20() ? S::Class20PageStatus : S::Class2DataEnd);
}

void SendMachine::Class2DataEnd(const SessionEvent& event) {
    if (!event.data)
        return;
    if (!control().ReplyOK()) {
        Fail(ecFaxSessionError);
        return;
    }
    control().SendCommand(MorePages() ? "AT+FET=0" : "AT+FET=2");
    SetTimeout(control().dataTimeout);
    SetState(S::Class2PageStatus);
}

void SendMachine::Class2PageStatus(const SessionEvent& event) {
    if (!event.data)
        return;
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
    if (!event.data)
        return;
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
    if (!event.data)
        return;
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
    if (!ResendPage())
        return;
    control().SendCommand("AT+FDT");
    SetState(S::Class2Negotiating);
}

void SendMachine::NextPage(const SessionEvent&) {
    if (!MorePages()) {
        SetState(S::FaxDone);
        return;
    }
    if (!NextPageFile())
        return;
    control().SendCommand("AT+FDT");
    SetState(S::Class2Negotiating);
}

}  // namespace corvane::engine
