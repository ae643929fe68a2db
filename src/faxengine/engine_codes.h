// Result codes the fax engine produces beside the shared fax image codes.
#pragma once

namespace corvane::engine {

// Arguments and component set-up.
inline constexpr int ecBadArgument = -1002;
inline constexpr int ecPortNotAssigned = -1005;
inline constexpr int ecCannotUseWithWinSock = -1009;
// Opening the port.
inline constexpr int ecBadPort = -2001;      // no such device
inline constexpr int ecPortInUse = -2005;    // locked by another program
inline constexpr int ecAlreadyOpen = -2008;  // already open in this process
// Port input and output.
inline constexpr int ecPortNotOpen = -3001;
inline constexpr int ecBufferIsEmpty = -3004;
inline constexpr int ecOutputBufferTooSmall = -3006;
// Triggers and event procedures.
inline constexpr int ecNoMoreTriggers = -5001;
inline constexpr int ecTriggerNotFound = -5002;
inline constexpr int ecEventProcInUse = -5003;
// Protocol.
inline constexpr int ecCancelRequested = -6005;
inline constexpr int ecTimeout = -6006;
// Fax protocol.
inline constexpr int ecFaxBadMachine = -8070;
inline constexpr int ecFaxBadModemResult = -8071;
inline constexpr int ecFaxInitError = -8073;

}  // namespace corvane::engine
