// The page states of the receive machine: the start of a page in the
// call's file and the data loop that unshields and stores page data.
#include "faxengine/engine_codes.h"
#include "faxengine/fax_progress.h"
#include "faxengine/modem_text.h"
#include "faxengine/receive_machine.h"

namespace corvane::engine {

using S = ReceiveState;

namespace {
constexpr std::uint8_t kDC2 = 18;
constexpr std::uint32_t kSoonTicks = 1;
}  // namespace

void ReceiveMachine::RxPageStart(const SessionEvent&) {
    FaxSessionData& d = data();
    ++d.currentPage;
    // A page after a post-page command that starts nothing here still goes
    // into the open file, so its data never lands outside a page.
    if (nextPage_ == kNextInOpenFile || (nextPage_ != kNextNewFile && file_.IsOpen())) {
        if (!WritePageStart()) {
            SetState(S::CallFailed);
            return;
        }
    } else if (nextPage_ == kNextNewFile) {
        CloseFile();
        if (!CreateReceiveFile()) {
            Fail(d.faxErrorCode);
            return;
        }
        ReportLog(static_cast<int>(FaxLogCode::lcReceiveStart));
        if (!WritePageStart()) {
            SetState(S::CallFailed);
            return;
        }
    }
    modem().dataCount = 0;
    pageEnd_.Reset();
    dleState_ = 0xFF;
    SetTimeout(control().replyTimeout);
    d.bytesTransferred = 0;
    if (!Class1()) {
        session().port.PutChar(kDC2);
    }
    Progress(kProgressGettingPage);
    SetState(S::RxPageData);
}

void ReceiveMachine::RxPageData(const SessionEvent& event) {
    ComPort& port = session().port;
    data().faxErrorCode = 0;
    if (!port.CharReady()) {
        // A sender that stops sending page data fails the call; the pages
        // complete so far stay in the file.
        if (event.timeout) {
            Fail(ecTimeout);
        }
        return;
    }
    for (int taken = 0; taken < kMaxBurst; ++taken) {
        if (!port.CharReady()) {
            SetTimeout(control().replyTimeout);
            return;
        }
        const int next = port.GetChar();
        if (next < 0)
            break;
        const auto byte = static_cast<std::uint8_t>(next);
        bool stored = true;
        if (dleState_ == kDLE) {
            dleState_ = 0xFF;
            if (byte == kETX) {
                if (!FlushData()) {
                    modem().statusChanged = true;
                    SetState(S::CallFailed);
                    return;
                }
                PageEnded();
                return;
            }
            // DLE DLE is one data byte 16; a DLE before anything else is dropped.
            stored = StoreByte(byte);
        } else if (byte == kDLE) {
            dleState_ = kDLE;
        } else {
            stored = StoreByte(byte);
        }
        if (!stored) {
            modem().statusChanged = true;
            SetState(S::CallFailed);
            return;
        }
    }
    // The burst is used up; the rest is read at the next event, which the
    // timer brings soon when no more data arrives to bring it.
    SetTimeout(port.CharReady() ? kSoonTicks : control().replyTimeout);
}

void ReceiveMachine::PageEnded() {
    dleState_ = 0xFF;
    Progress(kProgressGettingPage);
    control().ResetResponse();
    SoftwareFlow(false);
    SetState(Class1() ? S::Class1PageEnd : S::Class2PostPage);
}

}  // namespace corvane::engine
