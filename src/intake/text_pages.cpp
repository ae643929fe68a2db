#include "text_pages.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QLocale>
#include <QPageSize>
#include <QPainter>
#include <QStringDecoder>

#include "mono_page.h"
#include "page_placement.h"

namespace corvane::intake {

namespace {

constexpr double kFontPoints = 10.0;
constexpr double kLinePoints = 12.0;
constexpr double kSideMarginInches = 0.75;
constexpr double kTopMarginInches = 0.5;
constexpr int kTabColumns = 8;
constexpr double kPointsPerInch = 72.0;
constexpr double kMetresPerInch = 0.0254;
// Text larger than this is not a letter anyone faxes; it is refused rather
// than turned into thousands of pages.
constexpr qint64 kLargestText = 8 * 1024 * 1024;

// Tabs expanded, other control characters dropped.
QString Expanded(QStringView line) {
    QString out;
    int column = 0;
    for (const QChar c : line) {
        if (c == u'\t') {
            const int spaces = kTabColumns - column % kTabColumns;
            out.append(QString(spaces, u' '));
            column += spaces;
        } else if (c.category() != QChar::Other_Control) {
            out.append(c);
            if (!c.isLowSurrogate())
                ++column;
        }
    }
    return out;
}

// Cuts a line into pieces of at most columns characters, at the last space
// of a piece when it has one.
void Wrap(const QString& line, int columns, QStringList& out) {
    QStringView rest(line);
    while (rest.size() > columns) {
        qsizetype cut = rest.left(columns + 1).lastIndexOf(u' ');
        if (cut <= 0)
            cut = columns;
        if (rest[cut - 1].isHighSurrogate())
            --cut;
        out.append(rest.left(cut).toString());
        rest = rest.mid(cut);
        if (!rest.isEmpty() && rest.front() == u' ')
            rest = rest.mid(1);
    }
    out.append(rest.toString());
}

QPageSize PaperForLocale() {
    return QLocale::system().measurementSystem() == QLocale::ImperialUSSystem
               ? QPageSize(QPageSize::Letter)
               : QPageSize(QPageSize::A4);
}

class TextPages : public DocumentPages {
  public:
    TextPages(const QString& text, const QString& shown) {
        const QSizeF paper = PaperForLocale().size(QPageSize::Inch);
        paperWidth_ = paper.width();
        paperHeight_ = paper.height();
        font_ = QFont(QStringLiteral("Liberation Mono"));
        font_.setStyleHint(QFont::Monospace);
        font_.setFixedPitch(true);
        font_.setPointSizeF(kFontPoints);
        font_.setStyleStrategy(QFont::NoAntialias);
        QImage points(1, 1, QImage::Format_RGB32);  // measures in points
        points.setDotsPerMeterX(qRound(kPointsPerInch / kMetresPerInch));
        points.setDotsPerMeterY(points.dotsPerMeterX());
        const double charInches =
            QFontMetricsF(font_, &points).horizontalAdvance(u'M') / kPointsPerInch;
        const int columns =
            std::max(1, static_cast<int>((paperWidth_ - 2 * kSideMarginInches) / charInches));
        const int lines = std::max(1, static_cast<int>((paperHeight_ - 2 * kTopMarginInches) *
                                                       kPointsPerInch / kLinePoints));
        pages_ = LayOutText(text, columns, lines);
        if (pages_.empty())
            throw DocumentError(QStringLiteral("\"%1\" holds no text to fax.").arg(shown));
    }

    int Count() const override { return static_cast<int>(pages_.size()); }

    FaxPage Render(int index) override {
        const Placement placement = PlacePage(paperWidth_, paperHeight_, false);
        QImage image(placement.width, placement.height, QImage::Format_RGB32);
        image.fill(Qt::white);
        // Drawn in units of 1/196 inch across and down; the painter
        // stretches across to the fax's 204 dpi.
        image.setDotsPerMeterX(qRound(placement.dpiY / kMetresPerInch));
        image.setDotsPerMeterY(image.dotsPerMeterX());
        QPainter painter(&image);
        painter.scale(placement.dpiX / placement.dpiY, 1.0);
        painter.setFont(font_);
        painter.setPen(Qt::black);
        const double unit = placement.dpiY;
        const double lineHeight = kLinePoints / kPointsPerInch * unit;
        const double ascent = QFontMetricsF(font_, &image).ascent();
        double y = kTopMarginInches * unit + ascent;
        for (const QString& line : pages_[index]) {
            painter.drawText(QPointF(kSideMarginInches * unit, y), line);
            y += lineHeight;
        }
        painter.end();
        return {CentreOnFaxPage(image), true};
    }

  private:
    std::vector<QStringList> pages_;
    QFont font_;
    double paperWidth_ = 0;
    double paperHeight_ = 0;
};

}  // namespace

bool LooksLikeText(const QByteArray& head) {
    return !head.contains('\0');
}

std::vector<QStringList> LayOutText(const QString& text, int columns, int linesPerPage) {
    std::vector<QStringList> pages;
    if (text.trimmed().isEmpty())
        return pages;
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalised.replace(u'\r', u'\n');
    const QStringList sheets = normalised.split(u'\f');
    for (const QString& sheet : sheets) {
        QStringList lines;
        QStringList input = sheet.split(u'\n');
        if (input.size() > 1 && input.last().isEmpty())
            input.removeLast();  // the file's last line break ends a line, not starts one
        for (const QString& line : input) Wrap(Expanded(line), columns, lines);
        pages.emplace_back();
        for (const QString& line : lines) {
            if (pages.back().size() == linesPerPage)
                pages.emplace_back();
            pages.back().append(line);
        }
    }
    // A form feed at the end starts no page of its own.
    while (!pages.empty() && pages.back().join(QString()).trimmed().isEmpty()) pages.pop_back();
    return pages;
}

std::unique_ptr<DocumentPages> OpenText(const QString& path) {
    const QString shown = ShownName(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DocumentError(
            QStringLiteral("\"%1\" cannot be opened (%2).").arg(shown, file.errorString()));
    if (file.size() > kLargestText)
        throw DocumentError(QStringLiteral("\"%1\" is too large to fax as text.").arg(shown));
    const QByteArray bytes = file.readAll();
    if (!LooksLikeText(bytes))
        throw DocumentError(
            QStringLiteral("\"%1\" is not a document Corvane can fax (PDF, PostScript, a "
                           "picture or plain text).")
                .arg(shown));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return std::make_unique<TextPages>(text, shown);
}

}  // namespace corvane::intake
