// A converted document left in a send directory as the program takes in
// printed documents: a fax file "DOCnnnnn.APF" (a name that fits the
// 12-character FAXDOC field) and its job file "DOCnnnnn.PXD" (number,
// recipient and subject, lines ended by CR LF). The fax file is complete
// before its name appears, and the job file, written last, appears whole,
// so the program never takes in half a job.
#pragma once

#include <string>

#include "document_converter.h"
#include "job_options.h"

namespace corvane::intake {

struct JobResult {
    ConversionResult conversion;
    std::string faxFile;  // full path, when done
};

// sendDirectory ends in '/'. Line breaks in the details become spaces, so
// each stays on its own line of the job file.
JobResult SubmitDocument(const QString& document, const std::string& sendDirectory,
                         const JobDetails& details, const ProgressHandler& progress = {});

// The job file's text for details.
std::string JobFileText(const JobDetails& details);

}  // namespace corvane::intake
