// The option list a print system hands its backends ("phone=555\ 0100
// name='Jo Smith' subject=\"Q3\" duplex"): names and values separated by
// white space, values quoted with ' or " or escaped with a backslash, a bare
// name meaning "true". Untrusted text: anything is read without fault; a
// quote left open ends at the end of the text.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace corvane::intake {

struct JobDetails {
    std::string phone;
    std::string recipient;
    std::string subject;
};

// Names in lower case; a later option replaces an earlier one.
std::map<std::string, std::string> ParseJobOptions(std::string_view text);

// The job's number, recipient and subject from its options ("phone",
// "name", "subject"); the job's title stands for a missing subject.
JobDetails JobDetailsFromOptions(std::string_view options, const std::string& title);

}  // namespace corvane::intake
