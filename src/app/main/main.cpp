// The desktop program: corvane [--home DIR] [FILE...].
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>

#include "app/app_resources.h"
#include "app/document_import.h"
#include "app/main_screen.h"
#include "app/program_directory.h"
#include "covers/shipped_templates.h"
#include "platform/single_instance.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setApplicationVersion(QStringLiteral("0.1"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Desktop fax program"));
    parser.addHelpOption();
    const QCommandLineOption home(QStringLiteral("home"), QStringLiteral("Program directory."),
                                  QStringLiteral("DIR"));
    parser.addOption(home);
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Documents to fax."),
                                 QStringLiteral("[FILE...]"));
    parser.process(application);

    const std::string directory = parser.isSet(home)
                                      ? QDir(parser.value(home)).absolutePath().toStdString()
                                      : corvane::app::DefaultProgramDirectory();
    corvane::app::SetProgramDirectory(directory);
    corvane::app::ForceDirectory(corvane::app::ProgramDirectory());
    corvane::app::SubmitStartDocuments(parser.positionalArguments());

    corvane::platform::SingleInstance instance(
        QString::fromStdString(corvane::app::ProgramDirectory()));
    if (!instance.Acquire())
        return 0;

    corvane::covers::InstallShippedTemplates(corvane::covers::ShippedTemplatesDirectory(),
                                             corvane::app::CoversDirectory());
    corvane::app::InitResources();
    corvane::app::MainScreen window;
    QObject::connect(&instance, &corvane::platform::SingleInstance::activationRequested, &window,
                     [&window] {
                         window.showNormal();
                         window.raise();
                         window.activateWindow();
                     });
    window.show();
    return application.exec();
}
