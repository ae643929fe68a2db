#include "postscript_pages.h"

#include <QProcess>
#include <QTemporaryDir>

#include "pdf_pages.h"

namespace corvane::intake {

namespace {

constexpr int kPollMilliseconds = 50;

// Keeps the temporary PDF for as long as its pages are read.
class PostScriptPages : public DocumentPages {
  public:
    PostScriptPages(std::unique_ptr<QTemporaryDir> directory, std::unique_ptr<DocumentPages> pdf)
        : directory_(std::move(directory)), pdf_(std::move(pdf)) {}
    int Count() const override { return pdf_->Count(); }
    FaxPage Render(int index) override { return pdf_->Render(index); }

  private:
    std::unique_ptr<QTemporaryDir> directory_;
    std::unique_ptr<DocumentPages> pdf_;
};

QString LastLine(const QByteArray& text) {
    const QList<QByteArray> lines = text.trimmed().split('\n');
    return lines.isEmpty() ? QString() : QString::fromUtf8(lines.last().trimmed()).left(200);
}

}  // namespace

std::unique_ptr<DocumentPages> OpenPostScript(const QString& path,
                                              const ProgressHandler& progress) {
    const QString shown = ShownName(path);
    auto directory = std::make_unique<QTemporaryDir>();
    if (!directory->isValid())
        throw DocumentError(
            QStringLiteral("No temporary directory for converting \"%1\".").arg(shown));
    const QString pdf = directory->filePath(QStringLiteral("document.pdf"));
    QProcess ghostscript;
    ghostscript.setProcessChannelMode(QProcess::SeparateChannels);
    ghostscript.start(QStringLiteral("gs"),
                      {QStringLiteral("-q"), QStringLiteral("-dSAFER"), QStringLiteral("-dBATCH"),
                       QStringLiteral("-dNOPAUSE"), QStringLiteral("-sDEVICE=pdfwrite"),
                       QStringLiteral("-sOutputFile=") + pdf, QStringLiteral("-f"), path});
    if (!ghostscript.waitForStarted())
        throw DocumentError(QStringLiteral(
            "PostScript documents need Ghostscript (the program \"gs\"), which is not installed."));
    ghostscript.closeWriteChannel();
    while (!ghostscript.waitForFinished(kPollMilliseconds)) {
        if (progress && !progress(0, 0)) {
            ghostscript.kill();
            ghostscript.waitForFinished();
            return nullptr;
        }
    }
    if (ghostscript.exitStatus() != QProcess::NormalExit || ghostscript.exitCode() != 0) {
        QString detail = LastLine(ghostscript.readAllStandardError());
        if (detail.isEmpty())
            detail = LastLine(ghostscript.readAllStandardOutput());
        throw DocumentError(
            QStringLiteral("\"%1\" cannot be read as a PostScript document.").arg(shown) +
            (detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail)));
    }
    return std::make_unique<PostScriptPages>(std::move(directory), OpenPdf(pdf, shown));
}

}  // namespace corvane::intake
