// cover: draws a cover template with values given on the command line into
// a one-page fax file, as the cover editor does when it is saved.
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "command_registry.h"
#include "covers/cover_renderer.h"
#include "covers/files/cover_values.h"
#include "covers/files/file_bytes.h"
#include "covers/files/template_file.h"

namespace corvane::cli {
namespace {

using namespace corvane::covers;

constexpr char kCoverUsage[] =
    "cover TEMPLATE.FCT OUT.apf [--set FIELD=VALUE]... [--flag NAME]... [--message-file FILE]";

int Fail(const std::string& message) {
    std::fprintf(stderr, "corvane-fax: %s\n", message.c_str());
    return 1;
}

int Usage() {
    std::fprintf(stderr, "usage: corvane-fax %s\n", kCoverUsage);
    return 2;
}

std::string FieldNames() {
    std::string names;
    for (const CoverTextField& field : kCoverTexts)
        names += (names.empty() ? "" : ", ") + std::string(field.name);
    return names;
}

std::string FlagNames() {
    std::string names;
    for (const CoverFlagField& flag : kCoverFlags)
        names += (names.empty() ? "" : ", ") + std::string(flag.name);
    return names;
}

struct CoverRequest {
    std::string templatePath, outputPath, messageFile;
    CoverValues values;
};

// Empty when the request is complete, else the message to show.
std::string ParseCoverArguments(const Arguments& args, CoverRequest& request) {
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "--set" || arg == "--flag" || arg == "--message-file";
        if (!takesValue) {
            if (arg.rfind("--", 0) == 0)
                return "unknown option \"" + arg + "\"";
            positional.push_back(arg);
            continue;
        }
        if (i + 1 >= args.size())
            return arg + " needs a value";
        const std::string& value = args[++i];
        if (arg == "--message-file") {
            request.messageFile = value;
        } else if (arg == "--flag") {
            const CoverFlagField* flag = FindCoverFlag(value);
            if (!flag)
                return "unknown flag \"" + value + "\" (flags: " + FlagNames() + ")";
            request.values.*flag->member = true;
        } else {
            const auto equals = value.find('=');
            const CoverTextField* field =
                equals == std::string::npos ? nullptr : FindCoverText(value.substr(0, equals));
            if (!field)
                return "--set takes FIELD=VALUE with FIELD one of " + FieldNames();
            request.values.*field->member = value.substr(equals + 1);
        }
    }
    if (positional.size() != 2)
        return "usage";
    request.templatePath = positional[0];
    request.outputPath = positional[1];
    return {};
}

int RunCover(const Arguments& args) {
    CoverRequest request;
    const std::string problem = ParseCoverArguments(args, request);
    if (problem == "usage")
        return Usage();
    if (!problem.empty())
        return Fail(problem);

    std::string templateBytes;
    if (!ReadFileBytes(request.templatePath, kMaxTemplateBytes, templateBytes))
        return Fail("cannot read the cover template \"" + request.templatePath + "\"");
    const std::size_t elements =
        ReadTemplate(std::span(reinterpret_cast<const std::uint8_t*>(templateBytes.data()),
                               templateBytes.size()))
            .size();
    std::string message;
    if (!request.messageFile.empty() &&
        !ReadFileBytes(request.messageFile, kMaxTemplateBytes, message))
        return Fail("cannot read the message file \"" + request.messageFile + "\"");

    // Fonts need a GUI application; no display is needed for drawing.
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int argc = 1;
    char name[] = "corvane-fax";
    char* argv[] = {name, nullptr};
    QGuiApplication application(argc, argv);
    try {
        RenderCover(request.outputPath, request.templatePath, request.values, message);
    } catch (const std::exception& error) {
        return Fail(error.what());
    }
    std::printf("%s: cover of %zu element%s from %s, 1 page, 1728 x 2156 fine\n",
                request.outputPath.c_str(), elements, elements == 1 ? "" : "s",
                request.templatePath.c_str());
    return 0;
}

const CommandRegistration kCover({"cover", kCoverUsage, RunCover});

}  // namespace
}  // namespace corvane::cli
