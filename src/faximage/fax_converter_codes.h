// Result codes of the converter and the unpacker beyond the shared ones.
#pragma once

namespace corvane::faximage {

// A file that ends inside a record (a run-time read error).
inline constexpr int ecDiskReadError = -100;
inline constexpr int ecBadArgument = -1002;            // "Bad argument passed to function"
inline constexpr int ecUserAbortedConversion = -8003;  // "User aborted fax conversion"
inline constexpr int ecBitmapCreateFailed = -8005;     // "CreateBitmapIndirect API failure"

}  // namespace corvane::faximage
