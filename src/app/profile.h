// Profile (INI) files with the semantics of the classic profile functions:
// section and key names compare without regard to case, values are taken
// as written (surrounding blanks and one pair of matching quotes removed),
// texts are read through a 1024-character buffer, and every write reaches
// the disk at once. A write replaces the file through a temporary name, so
// the file on disk is always either the old or the new text.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace corvane::app {

// "Unable to write to %s" with the file name.
class ProfileWriteError : public std::runtime_error {
  public:
    explicit ProfileWriteError(const std::string& path);
};

class Profile {
  public:
    static constexpr int kReadBufferSize = 1024;  // a read text keeps at most 1023 characters

    explicit Profile(std::string path);

    const std::string& Path() const { return path_; }

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // Decimal, or hexadecimal after "0x"/"0X"; anything else gives the default.
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    // True for any non-zero integer.
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;
    bool KeyExists(const std::string& section, const std::string& key) const;

    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void WriteBool(const std::string& section, const std::string& key, bool value);
    void DeleteKey(const std::string& section, const std::string& key);
    void EraseSection(const std::string& section);

  private:
    std::vector<std::string> ReadLines() const;
    void WriteLines(const std::vector<std::string>& lines) const;

    std::string path_;
};

// The integer reading rule on its own (used for any profile text).
int ParseProfileInteger(const std::string& text, int defaultValue);

}  // namespace corvane::app
