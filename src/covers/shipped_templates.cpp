#include "shipped_templates.h"

#include <QCoreApplication>
#include <QDir>
#include <filesystem>

#include "app/program_directory.h"

namespace corvane::covers {

std::string ShippedTemplatesDirectory() {
    return QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/corvane/covers"))
               .absolutePath()
               .toStdString() +
           '/';
}

int InstallShippedTemplates(const std::string& shipped, const std::string& covers) {
    std::error_code error;
    std::filesystem::directory_iterator entries(shipped, error);
    if (error)
        return 0;
    std::string target = covers;
    if (!target.empty() && target.back() != '/')
        target += '/';
    if (!app::ForceDirectory(target))
        return 0;
    int copied = 0;
    for (const auto& entry : entries) {
        if (!entry.is_regular_file(error))
            continue;
        const std::string name = entry.path().filename().string();
        const std::string destination = app::FindIgnoringCase(target, name);
        if (std::filesystem::exists(destination, error))
            continue;
        copied += app::CopyFileIfDifferent(entry.path().string(), destination) ? 1 : 0;
    }
    return copied;
}

}  // namespace corvane::covers
