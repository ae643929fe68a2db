// File helpers for the table engine: whole reads and writes that report the
// system's reason, and replacement files that appear under their final name
// only when complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane::tables {

// Throws TableError naming the operation, the path and the system's reason.
[[noreturn]] void ThrowSystemError(const std::string& what, const std::string& path);

void WriteAt(int fd, const void* data, std::size_t size, std::uint64_t offset,
             const std::string& path);
void ReadAt(int fd, void* data, std::size_t size, std::uint64_t offset, const std::string& path);
std::uint64_t FileSize(int fd, const std::string& path);
bool FileExists(const std::string& path);
// Empty when the file does not exist; throws on other errors.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path);

// A temporary file beside `path`; Commit() syncs it and renames it over
// `path`. Dropped without Commit() the temporary file is removed.
class ReplacementFile {
  public:
    explicit ReplacementFile(std::string path);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    int Descriptor() const { return fd_; }
    void Append(const void* data, std::size_t size);
    // Returns the open descriptor of the renamed file; the caller closes it.
    int CommitKeepingOpen();
    void Commit();

  private:
    std::string path_;
    std::string temporary_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

void WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& data);

}  // namespace corvane::tables
