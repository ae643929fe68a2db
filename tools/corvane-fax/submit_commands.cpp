// submit: documents into the outgoing list of a program directory, as a
// printed document arrives: a fax file and its job file in SEND/, taken in
// by the program at its next activation.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <optional>

#include "app/program_directory.h"
#include "command_registry.h"
#include "intake/fax_job.h"

namespace corvane::cli {
namespace {

constexpr const char* kSubmitUsage =
    "submit FILE... [--home DIR] [--to NUMBER] [--name NAME] [--subject TEXT]";

struct SubmitOptions {
    std::vector<std::string> files;
    std::string home;
    intake::JobDetails details;
    bool subjectGiven = false;
};

std::optional<SubmitOptions> ReadSubmitOptions(const Arguments& args) {
    SubmitOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0) {
            options.files.push_back(arg);
            continue;
        }
        if (i + 1 >= args.size())
            return std::nullopt;
        const std::string& value = args[++i];
        if (arg == "--home")
            options.home = value;
        else if (arg == "--to")
            options.details.phone = value;
        else if (arg == "--name")
            options.details.recipient = value;
        else if (arg == "--subject")
            options.subjectGiven = true, options.details.subject = value;
        else
            return std::nullopt;
    }
    if (options.files.empty())
        return std::nullopt;
    return options;
}

int RunSubmit(const Arguments& args) {
    const std::optional<SubmitOptions> options = ReadSubmitOptions(args);
    if (!options) {
        std::fprintf(stderr, "usage: corvane-fax %s\n", kSubmitUsage);
        return 2;
    }
    // Text is laid out with Qt's fonts, which need a GUI application; no
    // window is shown.
    int argc = 3;
    char name[] = "corvane-fax", platform[] = "-platform", offscreen[] = "offscreen";
    char* argv[] = {name, platform, offscreen, nullptr};
    QGuiApplication application(argc, argv);
    app::SetProgramDirectory(
        options->home.empty()
            ? app::DefaultProgramDirectory()
            : QDir(QString::fromStdString(options->home)).absolutePath().toStdString());
    app::ForceDirectory(app::ProgramDirectory());
    app::EnsureWorkDirectories();
    int status = 0;
    for (const std::string& file : options->files) {
        const QString document = QString::fromStdString(file);
        intake::JobDetails details = options->details;
        if (!options->subjectGiven)
            details.subject = intake::ShownName(document).toStdString();
        const intake::JobResult job =
            intake::SubmitDocument(document, app::SendDirectory(), details);
        if (job.conversion.status != intake::ConversionResult::Done) {
            std::fprintf(stderr, "corvane-fax: %s\n",
                         job.conversion.message.toLocal8Bit().constData());
            status = 1;
            continue;
        }
        std::printf("%s: %d page%s as %s\n", file.c_str(), job.conversion.pages,
                    job.conversion.pages == 1 ? "" : "s", job.faxFile.c_str());
    }
    return status;
}

const CommandRegistration kSubmit({"submit", kSubmitUsage, RunSubmit});

}  // namespace
}  // namespace corvane::cli
