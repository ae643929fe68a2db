#include "cover_renderer.h"

#include <sys/stat.h>
#include <QImage>
#include <QPainter>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "app/program_directory.h"
#include "cover_fonts.h"
#include "covers/files/file_bytes.h"
#include "covers/files/template_file.h"
#include "faximage/fax_converter_component.h"

namespace corvane::covers {

namespace {

// Positions beyond this are far off the page; bounding them keeps the
// arithmetic and the painter's coordinates sane for hostile templates.
constexpr std::int64_t kCoordinateLimit = 100000;
constexpr int kMaxPenWidth = 1000;
// Far more than a page shows: a one-line text of more bytes cannot
// fit across the page, a message of more cannot fit in the largest box, and
// real designs have a few dozen elements. Beyond these a hostile template
// would only keep the window busy.
constexpr std::size_t kMaxLineBytes = 4096;
constexpr std::size_t kMaxMessageBytes = 1 << 18;
constexpr int kMaxElements = 10000;

constexpr char kFlagsLabels[] =
    "[  ]Urgent     [  ]For Review     [  ]Please Comment     [  ]Please Reply     [  ]Please "
    "Recycle";
// Where each flag's box opens in the labels line, in the order of kCoverFlags.
constexpr std::array<int, 5> kFlagBoxPrefix{1, 16, 35, 58, 79};
static_assert(kFlagsLabels[0] == '[' && kFlagsLabels[15] == '[' && kFlagsLabels[34] == '[' &&
              kFlagsLabels[57] == '[' && kFlagsLabels[78] == '[');

int Bounded(std::int64_t value) {
    return static_cast<int>(std::clamp(value, -kCoordinateLimit, kCoordinateLimit));
}

// Template and cover texts are UTF-8 when they decode as such; older files
// carry a single-byte code page, read as Latin-1.
QString DecodeText(const std::string& bytes, std::size_t limit = kMaxLineBytes) {
    std::size_t size = std::min(bytes.size(), limit);
    // Cut at a character boundary, so a long UTF-8 text stays UTF-8.
    while (size > 0 && size < bytes.size() && (bytes[size] & 0xC0) == 0x80) --size;
    const QByteArrayView kept(bytes.data(), static_cast<qsizetype>(size));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(kept);
    if (decoder.hasError())
        return QString::fromLatin1(kept);
    return text;
}

// The corners a line joins, by LineDirection: across the top, down the
// left side, rising and falling diagonals.
struct LineEnds {
    bool startRight, startBottom, endRight, endBottom;
};
constexpr std::array<LineEnds, 4> kLineEnds{{
    {false, false, true, false},
    {false, false, false, true},
    {false, true, true, false},
    {false, false, true, true},
}};

struct Box {
    int x1, y1, x2, y2;
};

Box ElementBox(const TemplateElement& e) {
    const std::int64_t left = std::int64_t{e.Left} + kCoverOrigin;
    const std::int64_t top = std::int64_t{e.Top} + kCoverOrigin;
    return {Bounded(left), Bounded(top), Bounded(left + e.Width), Bounded(top + e.Height)};
}

class CoverPainter {
  public:
    CoverPainter(QImage& page, const CoverValues& values, const std::string& message)
        : painter_(&page), values_(values), message_(DecodeText(message, kMaxMessageBytes)) {
        // The lines arrive joined by CR LF (or by any line break); the painter breaks at LF.
        message_.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        painter_.setRenderHint(QPainter::Antialiasing, false);
        painter_.setRenderHint(QPainter::TextAntialiasing, true);
        painter_.setBrush(Qt::white);
        painter_.setBackgroundMode(Qt::TransparentMode);
    }

    void Draw(const TemplateElement& e) {
        switch (e.Kind) {
            case ekText:
            case ekLabel:
                DrawText(e, DecodeText(e.Text));
                break;
            case ekShape:
                DrawShape(e);
                break;
            case ekLine:
                DrawLine(e);
                break;
            case ekFlagsLine:
                DrawFlags(e);
                break;
            case ekValueField:
                DrawText(e, DecodeText(e.FieldIndex >= 0 &&
                                               e.FieldIndex < static_cast<int>(kCoverTexts.size())
                                           ? values_.*kCoverTexts[e.FieldIndex].member
                                           : e.Text));
                break;
            case ekMessageBox:
                DrawMessage(e);
                break;
            default:
                break;
        }
    }

  private:
    void UseFont(const TemplateElement& e) {
        painter_.setFont(
            CoverFont(DecodeText(e.FontName), e.FontSize, e.Bold, e.Italic, e.Underline));
        painter_.setPen(Qt::black);
    }

    // The text's cell has its top-left corner at the element's position.
    void DrawText(const TemplateElement& e, const QString& text) {
        UseFont(e);
        const Box box = ElementBox(e);
        painter_.drawText(box.x1, box.y1 + painter_.fontMetrics().ascent(), text);
    }

    void UsePen(const TemplateElement& e) {
        QPen pen(Qt::black);
        pen.setWidth(std::clamp(e.PenWidth, 1, kMaxPenWidth));
        pen.setJoinStyle(Qt::MiterJoin);
        pen.setCapStyle(Qt::SquareCap);
        painter_.setPen(pen);
    }

    void DrawShape(const TemplateElement& e) {
        UsePen(e);
        switch (e.FillStyle) {
            case 0:
                painter_.setBrush(Qt::NoBrush);
                break;
            case 1:
                painter_.setBrush(Qt::white);
                break;
            case 2:
                painter_.setBrush(Qt::black);
                break;
            default:
                break;  // the brush of the element before stays
        }
        const Box box = ElementBox(e);
        // A shape covers x1..x2-1 and y1..y2-1; the painter strokes a QRect one
        // pixel wider and higher than the rectangle, hence the adjustments.
        const QRect rect(QPoint(box.x1, box.y1), QPoint(box.x2 - 1, box.y2 - 1));
        switch (e.ShapeKind) {
            case 0:
            case 1:
                painter_.drawRect(rect.adjusted(0, 0, -1, -1));
                break;
            case 2:
            case 3: {
                const double corner =
                    std::lround(std::max<double>(e.Width, e.Height) * e.Roundness * 0.01);
                painter_.drawRoundedRect(QRectF(rect.adjusted(0, 0, -1, -1)), corner / 2,
                                         corner / 2);
                break;
            }
            case 4:
            case 5:
                painter_.drawEllipse(rect.adjusted(0, 0, -1, -1));
                break;
            default:
                break;
        }
    }

    void DrawLine(const TemplateElement& e) {
        if (e.LineDirection < 0 || e.LineDirection >= static_cast<int>(kLineEnds.size()))
            return;
        UsePen(e);
        const Box b = ElementBox(e);
        const LineEnds& ends = kLineEnds[e.LineDirection];
        painter_.drawLine(ends.startRight ? b.x2 : b.x1, ends.startBottom ? b.y2 : b.y1,
                          ends.endRight ? b.x2 : b.x1, ends.endBottom ? b.y2 : b.y1);
    }

    void DrawFlags(const TemplateElement& e) {
        if (!AnyFlagSet(values_))
            return;
        const QString labels = QString::fromLatin1(kFlagsLabels);
        DrawText(e, labels);
        const Box box = ElementBox(e);
        const int baseline = box.y1 + painter_.fontMetrics().ascent();
        for (std::size_t i = 0; i < kCoverFlags.size(); ++i) {
            if (!(values_.*kCoverFlags[i].member))
                continue;
            const int offset =
                painter_.fontMetrics().horizontalAdvance(labels.left(kFlagBoxPrefix[i]));
            painter_.drawText(box.x1 + offset, baseline, QStringLiteral("X"));
        }
    }

    void DrawMessage(const TemplateElement& e) {
        UseFont(e);
        const Box b = ElementBox(e);
        const QRect rect(QPoint(b.x1, b.y1), QPoint(b.x2 - 1, b.y2 - 1));
        painter_.save();
        painter_.setClipRect(rect);
        painter_.drawText(
            rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs, message_);
        painter_.restore();
    }

    QPainter painter_;
    const CoverValues& values_;
    QString message_;
};

// Grey below the middle becomes black. Most of a cover is white paper, so
// white runs of eight pixels are skipped a word at a time.
faximage::Raster Threshold(const QImage& page) {
    faximage::Raster raster(page.width(), page.height());
    const int whole = page.width() / 8;
    for (int y = 0; y < page.height(); ++y) {
        const uchar* gray = page.constScanLine(y);
        auto row = raster.Row(y);
        for (int byte = 0; byte < whole; ++byte) {
            const uchar* eight = gray + 8 * byte;
            std::uint64_t word;
            std::memcpy(&word, eight, sizeof word);
            if (word == ~std::uint64_t{0})
                continue;
            std::uint8_t bits = 0;
            for (int bit = 0; bit < 8; ++bit)
                bits = static_cast<std::uint8_t>((bits << 1) | (eight[bit] < 128));
            row[byte] = bits;
        }
        for (int x = whole * 8; x < page.width(); ++x)
            if (gray[x] < 128)
                row[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
    }
    return raster;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

}  // namespace

faximage::Raster DrawCover(const std::string& templatePath, const CoverValues& values,
                           const std::string& message) {
    QImage page(kCoverWidth, kCoverHeight, QImage::Format_Grayscale8);
    page.fill(Qt::white);
    if (Exists(templatePath)) {
        std::string bytes;
        if (!ReadFileBytes(templatePath, kMaxTemplateBytes, bytes))
            throw std::runtime_error("Cannot read the cover template \"" + templatePath + "\"");
        CoverPainter painter(page, values, message);
        TemplateReader reader(
            std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
        TemplateElement element;
        for (int drawn = 0; drawn < kMaxElements && reader.Next(element); ++drawn)
            painter.Draw(element);
    }
    return Threshold(page);
}

std::string RenderCover(const std::string& outputPath, const std::string& templatePath,
                        const CoverValues& values, const std::string& message) {
    faximage::Raster page = DrawCover(templatePath, values, message);
    // Every cover carries a black bottom-right pixel.
    page.SetPixel(kCoverWidth - 1, kCoverHeight - 1, true);
    faximage::CvFaxConverter converter;
    converter.SetOptions(faximage::coYield);
    converter.SetResolution(faximage::FaxResolution::frHigh);
    const std::string output = outputPath.empty() ? UniqueCoverName() : outputPath;
    converter.SetOutFileName(output);
    converter.ConvertBitmap(page);
    return output;
}

std::string UniqueCoverName() {
    return app::UniqueSendName("COV");
}

}  // namespace corvane::covers
