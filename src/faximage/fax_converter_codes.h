// Result codes of the converter and the unpacker beyond the shared ones.
#pragma once

namespace corvane::faximage {

// "Attempt to read beyond end of file": a file that ends inside a record.
inline constexpr int ecReadBeyondEnd = -100;
inline constexpr int ecBadArgument = -1002;            // "Bad argument passed to function"
inline constexpr int ecUserAbortedConversion = -8003;  // "User aborted fax conversion"
inline constexpr int ecBitmapCreateFailed = -8005;     // "CreateBitmapIndirect API failure"

}  // namespace corvane::faximage
