#include "program_directory.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <set>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "text_utils.h"

namespace corvane::app {

namespace {

std::string& ProgramDirectoryStorage() {
    static std::string directory;
    return directory;
}

std::string WithSlash(std::string path) {
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

std::string XdgDirectory(const char* variable, const char* fallbackBelowHome) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/')
        return WithSlash(value) + "corvane/";
    const char* home = std::getenv("HOME");
    return WithSlash(home != nullptr ? home : "") + fallbackBelowHome + "corvane/";
}

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Upper-cased names of the entries of directory.
std::set<std::string> UpperCaseEntries(const std::string& directory) {
    std::set<std::string> names;
    if (DIR* dir = ::opendir(directory.c_str())) {
        while (const dirent* entry = ::readdir(dir)) names.insert(UpperCase(entry->d_name));
        ::closedir(dir);
    }
    return names;
}

std::string UniqueName(const std::string& directory, const std::string& prefix) {
    const auto taken = UpperCaseEntries(directory);
    char number[8];
    int n = 0;
    for (;; ++n) {
        std::snprintf(number, sizeof number, "%5.5d", n);
        const std::string name = prefix + number + ".APF";
        if (n > 99998 || taken.count(UpperCase(name)) == 0)
            return directory + name;
    }
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

void SetProgramDirectory(const std::string& directory) {
    ProgramDirectoryStorage() = WithSlash(directory);
}

std::string DefaultProgramDirectory() {
    return XdgDirectory("XDG_DATA_HOME", ".local/share/");
}

std::string ProgramDirectory() {
    if (ProgramDirectoryStorage().empty())
        ProgramDirectoryStorage() = DefaultProgramDirectory();
    return ProgramDirectoryStorage();
}

std::string ConfigDirectory() {
    return XdgDirectory("XDG_CONFIG_HOME", ".config/");
}

std::string SettingsPath() {
    return ProgramDirectory() + "CV.INI";
}

std::string CoversDirectory() {
    return WithSlash(FindIgnoringCase(ProgramDirectory(), "Covers"));
}
std::string SendDirectory() {
    return WithSlash(FindIgnoringCase(ProgramDirectory(), "SEND"));
}
std::string ReceiveDirectory() {
    return WithSlash(FindIgnoringCase(ProgramDirectory(), "Receive"));
}

std::string FindIgnoringCase(const std::string& directory, const std::string& name) {
    const std::string exact = directory + name;
    if (::access(exact.c_str(), F_OK) == 0)
        return exact;
    std::string found = exact;
    if (DIR* dir = ::opendir(directory.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            if (EqualsIgnoringCase(entry->d_name, name)) {
                found = directory + entry->d_name;
                break;
            }
        }
        ::closedir(dir);
    }
    return found;
}

bool ForceDirectory(const std::string& input) {
    std::string path = input;
    if (!path.empty() && path.back() == '/')
        path.pop_back();
    if (path.size() <= 2)
        return IsDirectory(path);
    if (IsDirectory(path))
        return true;
    const auto slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0)
        ForceDirectory(path.substr(0, slash));
    return ::mkdir(path.c_str(), 0755) == 0 || IsDirectory(path);
}

void EnsureWorkDirectories() {
    ForceDirectory(FindIgnoringCase(ProgramDirectory(), "SEND"));
    ForceDirectory(FindIgnoringCase(ProgramDirectory(), "Receive"));
}

std::string UniqueSendName(const std::string& prefix) {
    return UniqueName(SendDirectory(), prefix);
}

std::string UniqueWorkName(const std::string& prefix) {
    return UniqueName(ProgramDirectory(), prefix);
}

bool CopyFileIfDifferent(const std::string& source, const std::string& target) {
    if (source == target)
        return false;
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    struct stat info {};
    if (::fstat(in, &info) != 0) {
        ::close(in);
        return false;
    }
    const std::string temporary = target + ".part";
    const int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        ::close(in);
        return false;
    }
    // Copy the size the source had at the start; a source that shrinks
    // under us ends the copy as a failure instead of looping or passing a
    // short file off as a copy.
    char block[2048];
    off_t remaining = info.st_size;
    bool ok = true;
    while (ok && remaining > 0) {
        const std::size_t want = remaining < static_cast<off_t>(sizeof block)
                                     ? static_cast<std::size_t>(remaining)
                                     : sizeof block;
        const ssize_t got = ::read(in, block, want);
        if (got < 0 && errno == EINTR)
            continue;
        ok = got > 0 && WriteAll(out, block, static_cast<std::size_t>(got));
        if (ok)
            remaining -= got;
    }
    ::close(in);
    ok = (::close(out) == 0) && ok;
    if (!ok || std::rename(temporary.c_str(), target.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace corvane::app
