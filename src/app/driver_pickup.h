// Documents printed through the fax print tool: it leaves a fax file and a
// job file (same base name, ".PXD": fax number, recipient, subject, one per
// line) in the send directory, and reads "CVPD.INI" to learn where.
#pragma once

#include <string>

#include "tables/table.h"

namespace corvane::app {

inline constexpr char kDriverIniName[] = "CVPD.INI";

// Section "Location": "CVOutPath" (the send directory, ending in '/') and
// "CVExecutable", in the configuration directory. Throws ProfileWriteError.
void WriteCVPDINI(const std::string& executablePath);

// Takes in every job of the send directory (".PXD" in any letter case);
// reopens the outgoing table once when there was at least one. True when a
// job file was found.
bool ProcessExtraPDFaxFiles(tables::Table& outgoing, const std::string& archiveFilter);

// One job: a row for the fax file, then the job file is removed. A fax file
// that is missing or not yet a fax file leaves the job for a later try, as
// does a row that cannot be written.
void ProcessPDFaxFile(tables::Table& outgoing, const std::string& faxFilePath);

}  // namespace corvane::app
