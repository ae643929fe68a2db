// A fresh directory under the system's temporary directory, removed at the
// end of the test.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

namespace corvane::testing {

class TempDir {
  public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "corvane-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
        path_ += '/';
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Always ends in '/'.
    const std::string& path() const { return path_; }

    std::string Write(const std::string& name, const std::string& content) const {
        std::ofstream(path_ + name, std::ios::binary) << content;
        return path_ + name;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(path_ + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

  private:
    std::string path_;
};

}  // namespace corvane::testing
