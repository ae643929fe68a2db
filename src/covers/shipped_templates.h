// The cover designs shipped with the program, copied into a program
// directory's Covers/ when they are missing there.
#pragma once

#include <string>

namespace corvane::covers {

// share/corvane/covers/ beside the executable's directory (bin/), as in
// the build tree and the install tree.
std::string ShippedTemplatesDirectory();

// Copies each file of shipped that covers lacks (names compared without
// regard to case), creating covers when needed; a file already there, the
// user's own or edited, is never replaced. Returns how many were copied.
int InstallShippedTemplates(const std::string& shipped, const std::string& covers);

}  // namespace corvane::covers
