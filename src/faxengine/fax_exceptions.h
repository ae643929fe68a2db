// The exceptions component operations raise, one class per code; a
// caller may catch one kind or any FaxError and read its code.
#pragma once

#include "faximage/fax_errors.h"

namespace corvane::engine {

template <int Code>
class CodedFaxError : public FaxError {
  public:
    static constexpr int kCode = Code;
    CodedFaxError() : FaxError(Code) {}
};

using FaxBadFormat = CodedFaxError<-8001>;
using FaxBadMachine = CodedFaxError<-8070>;
using FaxBadModemResult = CodedFaxError<-8071>;
using FaxTrainError = CodedFaxError<-8072>;
using FaxInitError = CodedFaxError<-8073>;
using FaxBusy = CodedFaxError<-8074>;
using FaxVoiceCall = CodedFaxError<-8075>;
using FaxDataCall = CodedFaxError<-8076>;
using FaxNoDialTone = CodedFaxError<-8077>;
using FaxNoCarrier = CodedFaxError<-8078>;
using FaxSessionError = CodedFaxError<-8079>;
using FaxPageError = CodedFaxError<-8080>;
using ProtocolError = CodedFaxError<-6006>;
using NoMoreTriggers = CodedFaxError<-5001>;
using OutputBufferTooSmall = CodedFaxError<-3006>;
using PortNotAssigned = CodedFaxError<-1005>;
using InternalError = CodedFaxError<-1006>;
using CannotUseWithWinSock = CodedFaxError<-1009>;

// Throws the class of the code, or a plain FaxError for a code without one.
[[noreturn]] void RaiseFaxError(int code);

}  // namespace corvane::engine
