// The user a print job belongs to, and becoming that user: the backend
// starts as root and touches the user's files only with the user's rights.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace corvane::cups {

struct JobUser {
    std::string name;
    uid_t uid = 0;
    gid_t gid = 0;
    std::string home;  // ends in '/'
};

std::optional<JobUser> FindUser(const std::string& name);

// Gives up root for good (groups, group, user) and sets HOME, USER and
// LOGNAME; without root it only succeeds when already running as user
// (root's own jobs stay root's).
// False, with errorText set, when the switch is not possible.
bool BecomeUser(const JobUser& user, std::string& errorText);

}  // namespace corvane::cups
