#include "fax_job.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>

namespace corvane::intake {

namespace {

constexpr char kPrefix[] = "DOC";
constexpr int kHighestNumber = 99999;

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

// Hidden names the program never looks at, unique in this process.
std::string StagingName(const std::string& directory, const char* extension) {
    static std::atomic<unsigned> counter{0};
    return directory + ".intake-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) +
           extension;
}

std::set<QString> UpperCaseNames(const std::string& directory) {
    std::set<QString> names;
    const QDir dir(QString::fromStdString(directory));
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        names.insert(name.toUpper());
    return names;
}

// Gives the finished fax file its job name: the lowest number whose fax
// and job files are both free. link() refuses a name that appeared since it
// was looked at, so two writers never share one. Empty when none is free.
std::string ClaimJobName(const std::string& directory, const std::string& staged) {
    const std::set<QString> taken = UpperCaseNames(directory);
    char base[16];
    for (int n = 0; n <= kHighestNumber; ++n) {
        std::snprintf(base, sizeof base, "%s%05d", kPrefix, n);
        const QString name = QString::fromLatin1(base);
        if (taken.count(name + QStringLiteral(".APF")) ||
            taken.count(name + QStringLiteral(".PXD")))
            continue;
        const std::string target = directory + base + ".APF";
        if (::link(staged.c_str(), target.c_str()) == 0) {
            ::unlink(staged.c_str());
            return target;
        }
        if (errno != EEXIST)
            return {};
    }
    return {};
}

bool WriteWhole(const std::string& path, const std::string& text) {
    const std::string staged = path + ".part";
    const int fd = ::open(staged.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(staged.c_str(), path.c_str()) != 0) {
        ::unlink(staged.c_str());
        return false;
    }
    return true;
}

}  // namespace

std::string JobFileText(const JobDetails& details) {
    return OneLine(details.phone) + "\r\n" + OneLine(details.recipient) + "\r\n" +
           OneLine(details.subject) + "\r\n";
}

JobResult SubmitDocument(const QString& document, const std::string& sendDirectory,
                         const JobDetails& details, const ProgressHandler& progress) {
    JobResult result;
    const std::string staged = StagingName(sendDirectory, ".APF");
    result.conversion = ConvertDocument(document, staged, progress);
    if (result.conversion.status != ConversionResult::Done)
        return result;
    const std::string faxFile = ClaimJobName(sendDirectory, staged);
    const std::string jobFile =
        faxFile.empty() ? std::string() : faxFile.substr(0, faxFile.size() - 4) + ".PXD";
    if (faxFile.empty() || !WriteWhole(jobFile, JobFileText(details))) {
        const int error = errno;
        ::unlink(staged.c_str());
        if (!faxFile.empty())
            ::unlink(faxFile.c_str());
        result.conversion = {ConversionResult::Failed, 0,
                             QStringLiteral("The fax job cannot be written in \"%1\": %2")
                                 .arg(QString::fromStdString(sendDirectory),
                                      QString::fromLocal8Bit(std::strerror(error)))};
        return result;
    }
    result.faxFile = faxFile;
    return result;
}

}  // namespace corvane::intake
