#include "job_user.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace corvane::cups {

std::optional<JobUser> FindUser(const std::string& name) {
    if (name.empty())
        return std::nullopt;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwnam_r(name.c_str(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return std::nullopt;
    JobUser user{found->pw_name, found->pw_uid, found->pw_gid, found->pw_dir ? found->pw_dir : ""};
    if (user.home.empty() || user.home.back() != '/')
        user.home += '/';
    return user;
}

bool BecomeUser(const JobUser& user, std::string& errorText) {
    if (::geteuid() == 0 && user.uid != 0) {
        if (::initgroups(user.name.c_str(), user.gid) != 0 || ::setgid(user.gid) != 0 ||
            ::setuid(user.uid) != 0) {
            errorText =
                std::string("cannot become user ") + user.name + ": " + std::strerror(errno);
            return false;
        }
        // No way back once the user's own files are opened.
        if (::setuid(0) == 0 || ::geteuid() == 0) {
            errorText = "root rights could not be given up";
            return false;
        }
    } else if (::geteuid() != user.uid) {
        errorText = "the backend must run as root to write the jobs of user " + user.name +
                    " (install it with mode 0700, owned by root)";
        return false;
    }
    ::setenv("HOME", user.home.c_str(), 1);
    ::setenv("USER", user.name.c_str(), 1);
    ::setenv("LOGNAME", user.name.c_str(), 1);
    return true;
}

}  // namespace corvane::cups
