#include "document_converter.h"

#include <QFile>
#include <QFileInfo>

#include "fax_page_writer.h"
#include "faximage/fax_errors.h"
#include "pdf_pages.h"
#include "picture_pages.h"
#include "postscript_pages.h"
#include "text_pages.h"

namespace corvane::intake {

namespace {

constexpr qint64 kHeadSize = 1024;

QByteArray Head(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DocumentError(QStringLiteral("\"%1\" cannot be opened (%2).")
                                .arg(ShownName(path), file.errorString()));
    return file.read(kHeadSize);
}

// PDF and PostScript by their marks (PDF may have a little in front of its
// mark), then pictures by Qt's readers, then anything without NUL as text.
std::unique_ptr<DocumentPages> Open(const QString& path, const ProgressHandler& progress) {
    const QByteArray head = Head(path);
    if (head.isEmpty())
        throw DocumentError(QStringLiteral("\"%1\" is empty.").arg(ShownName(path)));
    if (head.contains("%PDF-"))
        return OpenPdf(path, ShownName(path));
    if (head.startsWith("%!") || head.startsWith("\x04%!"))
        return OpenPostScript(path, progress);
    if (IsPicture(path))
        return OpenPictures(path);
    return OpenText(path);
}

DocumentError WriteFailure(int code) {
    return DocumentError(QStringLiteral("The fax file cannot be written: %1")
                             .arg(QString::fromStdString(ErrorText(code))));
}

ConversionResult Failure(const QString& message) {
    return {ConversionResult::Failed, 0, message};
}

}  // namespace

QString ShownName(const QString& path) {
    return QFileInfo(path).fileName();
}

ConversionResult ConvertDocument(const QString& document, const std::string& faxFile,
                                 const ProgressHandler& progress) {
    const auto proceed = [&progress](int done, int total) {
        return !progress || progress(done, total);
    };
    FaxPageWriter writer;
    try {
        const std::unique_ptr<DocumentPages> pages = Open(document, progress);
        if (!pages)
            return {ConversionResult::Cancelled, 0, {}};
        const int count = pages->Count();
        if (count <= 0)
            return Failure(QStringLiteral("\"%1\" has no pages.").arg(ShownName(document)));
        if (const int code = writer.Create(faxFile); code != ecOK)
            throw WriteFailure(code);
        for (int index = 0; index < count; ++index) {
            if (!proceed(index, count)) {
                writer.Abandon();
                return {ConversionResult::Cancelled, 0, {}};
            }
            const FaxPage page = pages->Render(index);
            if (const int code = writer.AddPage(page.raster, page.fine); code != ecOK)
                throw WriteFailure(code);
        }
        if (const int code = writer.Finish(); code != ecOK)
            throw WriteFailure(code);
        proceed(count, count);
        return {ConversionResult::Done, count, {}};
    } catch (const DocumentError& error) {
        writer.Abandon();
        return Failure(error.Message());
    } catch (const std::bad_alloc&) {
        writer.Abandon();
        return Failure(
            QStringLiteral("\"%1\" needs more memory than there is.").arg(ShownName(document)));
    }
}

}  // namespace corvane::intake
