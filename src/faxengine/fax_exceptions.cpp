#include "faxengine/fax_exceptions.h"

namespace corvane::engine {

namespace {

template <class... Errors>
[[noreturn]] void RaiseAmong(int code) {
    // Throws from inside the fold at the first class whose code matches.
    (
        [code] {
            if (code == Errors::kCode) {
                throw Errors();
            }
        }(),
        ...);
    throw FaxError(code);
}

}  // namespace

void RaiseFaxError(int code) {
    RaiseAmong<FaxBadFormat, FaxBadMachine, FaxBadModemResult, FaxTrainError, FaxInitError, FaxBusy,
               FaxVoiceCall, FaxDataCall, FaxNoDialTone, FaxNoCarrier, FaxSessionError,
               FaxPageError, ProtocolError, NoMoreTriggers, OutputBufferTooSmall, PortNotAssigned,
               InternalError, CannotUseWithWinSock>(code);
}

}  // namespace corvane::engine
