#include "driver_pickup.h"

#include <dirent.h>
#include <unistd.h>
#include <cstdio>

#include <fstream>
#include <vector>

#include "faximage/apf_file.h"
#include "profile.h"
#include "program_directory.h"
#include "tables/fax_tables.h"
#include "tables/table_error.h"
#include "text_utils.h"

namespace corvane::app {

namespace {

constexpr std::size_t kFaxDocWidth = 12;

bool EndsWithIgnoringCase(const std::string& name, const std::string& suffix) {
    return name.size() > suffix.size() &&
           EqualsIgnoringCase(std::string_view(name).substr(name.size() - suffix.size()), suffix);
}

std::string BaseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WithoutExtension(const std::string& path) {
    const auto dot = path.rfind('.');
    const auto slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path;
    return path.substr(0, dot);
}

std::vector<std::string> JobFiles(const std::string& directory) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(directory.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (EndsWithIgnoringCase(name, ".PXD"))
                names.push_back(name);
        }
        ::closedir(dir);
    }
    return names;
}

// The first three lines; missing ones stay empty. A job file is small:
// only its first kilobytes are read, and each line is cut to 1024 bytes.
std::vector<std::string> JobLines(const std::string& path) {
    constexpr std::size_t kMaxRead = 4096;
    constexpr std::size_t kMaxLine = 1024;
    std::string text(kMaxRead, '\0');
    std::ifstream in(path, std::ios::binary);
    in.read(text.data(), std::streamsize(text.size()));
    text.resize(std::size_t(in.gcount()));
    std::vector<std::string> lines(3);
    std::size_t start = 0;
    for (std::string& line : lines) {
        if (start >= text.size())
            break;
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string read = text.substr(start, end - start);
        if (!read.empty() && read.back() == '\r')
            read.pop_back();
        line = CutUtf8(read, kMaxLine);
        start = end + 1;
    }
    return lines;
}

}  // namespace

void WriteCVPDINI(const std::string& executablePath) {
    ForceDirectory(ConfigDirectory());
    Profile profile(ConfigDirectory() + kDriverIniName);
    profile.WriteString("Location", "CVOutPath", SendDirectory());
    profile.WriteString("Location", "CVExecutable", executablePath);
}

void ProcessPDFaxFile(tables::Table& outgoing, const std::string& faxFilePath) {
    if (::access(faxFilePath.c_str(), F_OK) != 0 || !faximage::IsApfFile(faxFilePath))
        return;
    const std::string directory =
        faxFilePath.substr(0, faxFilePath.size() - BaseName(faxFilePath).size());
    const std::string jobPath =
        FindIgnoringCase(directory, BaseName(WithoutExtension(faxFilePath)) + ".PXD");
    std::vector<std::string> job(3);
    if (::access(jobPath.c_str(), F_OK) == 0)
        job = JobLines(jobPath);
    // FAXDOC holds 12 characters; a longer name would be cut and the row
    // would name no file, so such a fax file gets a short name first.
    std::string faxFile = faxFilePath;
    if (BaseName(faxFile).size() > kFaxDocWidth) {
        const std::string shortName = UniqueSendName("PRN");
        if (::rename(faxFile.c_str(), shortName.c_str()) != 0)
            return;
        faxFile = shortName;
    }
    try {
        outgoing.Append();
        outgoing.SetText("FAXDOC", BaseName(faxFile));
        outgoing.SetText("RECIPIENT", job[1]);
        outgoing.SetText("SUBJECT", job[2]);
        outgoing.SetText("PHONE", job[0]);
        outgoing.Post();
    } catch (const std::exception&) {
        if (outgoing.IsEditing())
            outgoing.Cancel();
        return;  // the job stays for the next activation
    }
    ::unlink(jobPath.c_str());
}

bool ProcessExtraPDFaxFiles(tables::Table& outgoing, const std::string& archiveFilter) {
    const std::string directory = SendDirectory();
    bool found = false;
    for (const std::string& jobName : JobFiles(directory)) {
        ProcessPDFaxFile(outgoing, FindIgnoringCase(directory, WithoutExtension(jobName) + ".APF"));
        found = true;
    }
    if (found) {
        try {
            tables::FaxTableCloseAndOpen(outgoing, archiveFilter);
        } catch (const tables::TableError&) {
        }
    }
    return found;
}

}  // namespace corvane::app
