// The fax printer backend. Run by the print system as
//   corvane                                      lists its device, corvane:/
//   corvane JOB USER TITLE COPIES OPTIONS [FILE]  faxes a job (FILE or stdin)
// It becomes the job's user, reads that user's "CVPD.INI" (which Corvane
// writes at every start) for the send directory, and leaves the document
// there as a fax file and job file for Corvane to take in. The number,
// recipient and subject come from the options phone=, name= and subject=;
// the job's title is the subject when none is given. Messages go to the
// print system's log with its "INFO:" and "ERROR:" prefixes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QGuiApplication>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/driver_pickup.h"
#include "app/profile.h"
#include "app/program_directory.h"
#include "intake/fax_job.h"
#include "job_user.h"

namespace {

using namespace corvane;

// Exit codes the print system understands.
constexpr int kBackendOk = 0;
constexpr int kBackendFailed = 1;  // the queue's error policy applies
constexpr int kBackendCancel = 5;  // this job is dropped, the queue goes on

int Error(int code, const std::string& text) {
    std::fprintf(stderr, "ERROR: %s\n", text.c_str());
    return code;
}

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The document's name in the work directory: the job title made safe, so
// that messages name what the user printed.
std::string DocumentName(const std::string& title) {
    std::string name;
    for (const char c : title.substr(0, 100)) name += (c == '/' || c == '\0') ? '_' : c;
    if (name.empty() || name == "." || name == "..")
        name = "document";
    return name;
}

bool CopyAll(int from, const std::string& path) {
    const int to = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (to < 0)
        return false;
    char block[65536];
    bool ok = true;
    for (;;) {
        const ssize_t got = ::read(from, block, sizeof block);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        if (::write(to, block, static_cast<std::size_t>(got)) != got) {
            ok = false;
            break;
        }
    }
    return ::close(to) == 0 && ok;
}

// The send directory named in the user's CVPD.INI; empty, with a message
// in errorText, when there is none to write to.
std::string SendDirectoryOf(const cups::JobUser& user, std::string& errorText) {
    const std::string ini = user.home + ".config/corvane/" + app::kDriverIniName;
    if (::access(ini.c_str(), R_OK) != 0) {
        errorText = "user " + user.name + " has no " + app::kDriverIniName + " (" + ini +
                    "); start Corvane once as that user";
        return {};
    }
    std::string send = app::Profile(ini).ReadString("Location", "CVOutPath", "");
    if (send.empty()) {
        errorText = ini + " names no send directory (CVOutPath)";
        return {};
    }
    if (send.back() != '/')
        send += '/';
    // The send directory may be gone; its program directory must be there.
    const std::string program = std::filesystem::path(send).parent_path().parent_path().string();
    if (!IsDirectory(program) || !app::ForceDirectory(send)) {
        errorText = "user " + user.name + " has no Corvane program directory " + program;
        return {};
    }
    return send;
}

int FaxJob(int input, const cups::JobUser& user, const std::string& title,
           const std::string& options) {
    std::string problem;
    const std::string send = SendDirectoryOf(user, problem);
    if (send.empty())
        return Error(kBackendCancel, problem);
    std::string work = send + ".corvane-print-XXXXXX";
    if (::mkdtemp(work.data()) == nullptr)
        return Error(kBackendCancel, "cannot write in " + send + ": " + std::strerror(errno));
    const std::string document = work + "/" + DocumentName(title);
    int status = kBackendOk;
    if (!CopyAll(input, document)) {
        status = Error(kBackendCancel,
                       "cannot read the print job: " + std::string(std::strerror(errno)));
    } else {
        int argc = 3;
        char name[] = "corvane", platform[] = "-platform", offscreen[] = "offscreen";
        char* argv[] = {name, platform, offscreen, nullptr};
        QGuiApplication application(argc, argv);
        const intake::JobResult job = intake::SubmitDocument(
            QString::fromStdString(document), send, intake::JobDetailsFromOptions(options, title),
            [](int done, int total) {
                if (total > 0 && done < total)
                    std::fprintf(stderr, "INFO: Converting page %d of %d\n", done + 1, total);
                return true;
            });
        if (job.conversion.status != intake::ConversionResult::Done)
            status = Error(kBackendCancel, job.conversion.message.toStdString());
        else
            std::fprintf(stderr, "INFO: %d page%s left for Corvane as %s\n", job.conversion.pages,
                         job.conversion.pages == 1 ? "" : "s", job.faxFile.c_str());
    }
    std::error_code ignored;
    std::filesystem::remove_all(work, ignored);
    return status;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 1) {
        std::puts("direct corvane:/ \"Corvane Fax\" \"Corvane fax printer\"");
        return kBackendOk;
    }
    if (argc != 6 && argc != 7) {
        std::fprintf(stderr, "Usage: %s JOB USER TITLE COPIES OPTIONS [FILE]\n", argv[0]);
        return kBackendFailed;
    }
    // The spool file is readable by root only: open it before giving root up.
    int input = STDIN_FILENO;
    if (argc == 7 && (input = ::open(argv[6], O_RDONLY | O_CLOEXEC)) < 0)
        return Error(kBackendCancel, std::string("cannot open the print job ") + argv[6] + ": " +
                                         std::strerror(errno));
    const auto user = cups::FindUser(argv[2]);
    if (!user)
        return Error(kBackendCancel,
                     std::string("no user named \"") + argv[2] + "\" on this system");
    std::string problem;
    if (!cups::BecomeUser(*user, problem))
        return Error(kBackendFailed, problem);
    return FaxJob(input, *user, argv[3], argv[5]);
}
