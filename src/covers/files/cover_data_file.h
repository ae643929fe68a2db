// The cover data file (".FCD") kept beside each cover file so that the
// cover can be edited again: the template's file name, five flag
// characters, then the message, one line each, lines ended by CR LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cover_values.h"

namespace corvane::covers {

inline constexpr char kDefaultTemplateName[] = "cv0001.fct";

struct CoverData {
    std::string templateName = kDefaultTemplateName;  // file name, no directory
    std::string flags;                                // as stored; see ApplyFlags
    std::vector<std::string> message;                 // one entry per line
};

// A file of fewer than two lines (which the program never writes) gives
// the default template, no flags and no message. Line 1 keeps only its
// file name part, and an empty one keeps the default template. Lines may
// end with CR LF, LF or CR.
CoverData ParseCoverData(std::string_view text);
std::string FormatCoverData(const CoverData& data);

// A missing or unreadable file reads as the defaults; at most kMaxCoverDataBytes
// are read.
inline constexpr std::size_t kMaxCoverDataBytes = 4 << 20;
CoverData ReadCoverDataFile(const std::string& path);
// Written to a temporary name that replaces path only when complete;
// throws std::runtime_error with the system's reason otherwise.
void WriteCoverDataFile(const std::string& path, const CoverData& data);

// "X" per set flag, a space per clear one, in the order of kCoverFlags.
std::string FlagsText(const CoverValues& values);
// Sets the flags from a text of exactly five characters; any other length
// leaves every flag clear.
void ApplyFlags(const std::string& text, CoverValues& values);

// The message lines joined by CR LF, as the message box draws them, and
// split back (a final line break adds no empty line).
std::string JoinLines(const std::vector<std::string>& lines);
std::vector<std::string> SplitLines(std::string_view text);

// The part after the last '/' or '\'.
std::string FileNamePart(std::string_view path);

}  // namespace corvane::covers
