#include "pdf_pages.h"

#include <poppler-qt6.h>
#include <QFile>

#include "mono_page.h"
#include "page_placement.h"

namespace corvane::intake {

namespace {

constexpr double kPointsPerInch = 72.0;
// A complete PDF ends with its end-of-file marker; writers may add a little
// after it, so the last kilobyte is searched.
constexpr qint64 kTailSearched = 1024;

bool HasEndMarker(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    file.seek(std::max<qint64>(0, file.size() - kTailSearched));
    return file.read(kTailSearched).contains("%%EOF");
}

void QuietPoppler() {
    static const bool done = [] {
        Poppler::setDebugErrorFunction([](const QString&, const QVariant&) {}, QVariant());
        return true;
    }();
    (void)done;
}

class PdfPages : public DocumentPages {
  public:
    PdfPages(std::unique_ptr<Poppler::Document> document, QString shownName)
        : document_(std::move(document)), shownName_(std::move(shownName)) {
        document_->setRenderHint(Poppler::Document::Antialiasing, false);
        document_->setRenderHint(Poppler::Document::TextAntialiasing, false);
        document_->setRenderHint(Poppler::Document::ThinLineSolid, true);
        document_->setPaperColor(Qt::white);
    }

    int Count() const override { return document_->numPages(); }

    FaxPage Render(int index) override {
        const std::unique_ptr<Poppler::Page> page(document_->page(index));
        const QString failed =
            QStringLiteral("Page %1 of \"%2\" cannot be drawn.").arg(index + 1).arg(shownName_);
        if (!page)
            throw DocumentError(failed);
        const QSizeF size = page->pageSizeF();
        const Placement placement =
            PlacePage(size.width() / kPointsPerInch, size.height() / kPointsPerInch, true);
        if (placement.width == 0)
            throw DocumentError(failed);
        const QImage image = page->renderToImage(
            placement.dpiX, placement.dpiY, 0, 0, placement.width, placement.height,
            placement.turned ? Poppler::Page::Rotate270 : Poppler::Page::Rotate0);
        if (image.isNull())
            throw DocumentError(failed);
        return {CentreOnFaxPage(image), true};
    }

  private:
    std::unique_ptr<Poppler::Document> document_;
    QString shownName_;
};

}  // namespace

std::unique_ptr<DocumentPages> OpenPdf(const QString& path, const QString& shownName) {
    QuietPoppler();
    if (!HasEndMarker(path))
        throw DocumentError(QStringLiteral("\"%1\" is incomplete: the PDF document ends too early.")
                                .arg(shownName));
    std::unique_ptr<Poppler::Document> document = Poppler::Document::load(path);
    if (!document)
        throw DocumentError(
            QStringLiteral("\"%1\" is damaged and cannot be read as a PDF document.")
                .arg(shownName));
    if (document->isLocked())
        throw DocumentError(QStringLiteral("\"%1\" is protected by a password and cannot be faxed.")
                                .arg(shownName));
    return std::make_unique<PdfPages>(std::move(document), shownName);
}

}  // namespace corvane::intake
