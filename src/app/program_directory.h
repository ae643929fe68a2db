// Where the program keeps its files, and the helpers that build names in
// it. Paths are built by plain concatenation on ProgramDirectory(), which
// always ends in '/'.
#pragma once

#include <string>

namespace corvane::app {

// From --home DIR when given, else $XDG_DATA_HOME/corvane/ (default
// ~/.local/share/corvane/). Call once at start-up, before any path is used.
void SetProgramDirectory(const std::string& directory);
std::string DefaultProgramDirectory();
std::string ProgramDirectory();

// "CV.INI"
std::string SettingsPath();
// "Covers/", "SEND/" and "Receive/", each found without regard to case
// when a directory of another spelling exists already.
std::string CoversDirectory();
std::string SendDirectory();
std::string ReceiveDirectory();
// $XDG_CONFIG_HOME/corvane/ (default ~/.config/corvane/), for the printer
// driver's file.
std::string ConfigDirectory();

// The entry of directory whose name equals name without regard to case, as
// a full path; directory + name when none exists. directory ends in '/'.
std::string FindIgnoringCase(const std::string& directory, const std::string& name);

// Creates the directory and any missing parents. One trailing '/' is
// ignored; a path of two characters or fewer is never created.
bool ForceDirectory(const std::string& path);
// Creates "SEND" and "Receive" in the program directory; a failure of one
// does not stop the other.
void EnsureWorkDirectories();

// SendDirectory() + prefix + five digits + ".APF": the lowest number from
// 00000 with no file of that name (compared without regard to case); from
// 99999 on nothing is tested. Nothing is created.
std::string UniqueSendName(const std::string& prefix);
// The same in the program directory.
std::string UniqueWorkName(const std::string& prefix);

// Copies source over target unless the two names are equal. The copy goes
// to a temporary name that replaces target only when the whole source was
// read, so a failed copy leaves target as it was. True when copied.
bool CopyFileIfDifferent(const std::string& source, const std::string& target);

}  // namespace corvane::app
