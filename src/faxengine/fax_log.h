// The fax history: one entry per started, finished or failed fax,
// appended to a text file.
#pragma once

#include <string>

namespace corvane::engine {

class CvCustomAbstractFax;

class CvFaxLog {
  public:
    std::string faxHistoryName = "CVFAX.HIS";
    CvCustomAbstractFax* fax = nullptr;

    // Appends the entry of the code; the file is created when missing.
    // Throws FaxError when it cannot be written.
    void UpdateLog(int logCode);
};

// The entry text of a code, with its CR LF line ends; date is the moment
// in the system's format. Empty for a code the fax's kind does not write.
std::string HistoryEntry(const CvCustomAbstractFax& fax, int logCode, const std::string& date);

}  // namespace corvane::engine
