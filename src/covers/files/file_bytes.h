// Whole-file reads with a size cap and writes that replace a file only
// once the new content is complete.
#pragma once

#include <cstddef>
#include <string>

namespace corvane::covers {

// False when the file cannot be opened or read; at most limit bytes are
// kept, the rest is ignored.
bool ReadFileBytes(const std::string& path, std::size_t limit, std::string& bytes);
// Writes path + ".part", then renames it over path; throws
// std::runtime_error naming the file and the system's reason, leaving path
// as it was.
void WriteFileReplacing(const std::string& path, const std::string& bytes);

}  // namespace corvane::covers
