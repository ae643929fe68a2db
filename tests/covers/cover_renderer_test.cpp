// Drawing covers: where elements land on the raster and on the fax page,
// each kind of element, the flags line, the message box, damaged and
// missing templates, and the cover file's name and overwrite rules.
#include <QFontMetrics>
#include <filesystem>

#include <gtest/gtest.h>

#include "app/program_directory.h"
#include "app/temp_dir.h"
#include "covers/cover_fonts.h"
#include "covers/cover_renderer.h"
#include "covers/files/template_file.h"
#include "faximage/apf_file.h"
#include "faximage/fax_unpacker_component.h"

namespace corvane::covers {
namespace {

using faximage::Raster;

struct Ink {
    int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;  // inclusive
    long count = 0;
    bool Empty() const { return count == 0; }
};

// Black pixels inside [x0, x1) × [y0, y1).
Ink InkIn(const Raster& raster, int x0, int y0, int x1, int y1) {
    Ink ink;
    for (int y = std::max(y0, 0); y < std::min(y1, raster.Height()); ++y)
        for (int x = std::max(x0, 0); x < std::min(x1, raster.Width()); ++x)
            if (raster.Pixel(x, y)) {
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
                ++ink.count;
            }
    return ink;
}

Ink AllInk(const Raster& raster) {
    return InkIn(raster, 0, 0, raster.Width(), raster.Height());
}

TemplateElement Element(std::int32_t kind, int left, int top, int width, int height) {
    TemplateElement e;
    e.Kind = kind;
    e.Left = left;
    e.Top = top;
    e.Width = width;
    e.Height = height;
    e.FontName = "Arial";
    e.FontSize = 20;
    return e;
}

TemplateElement Shape(int shapeKind, int left, int top, int width, int height, int fill) {
    TemplateElement e = Element(ekShape, left, top, width, height);
    e.ShapeKind = shapeKind;
    e.FillStyle = fill;
    return e;
}

class CoverRendererTest : public ::testing::Test {
  protected:
    std::string WriteTemplate(const std::vector<TemplateElement>& elements,
                              const std::string& name = "t.fct") {
        return dir_.Write(name, EncodeTemplate(elements));
    }
    Raster Draw(const std::vector<TemplateElement>& elements, const CoverValues& values = {},
                const std::string& message = {}) {
        return DrawCover(WriteTemplate(elements), values, message);
    }
    static QFontMetrics Metrics(int points = 20) {
        return QFontMetrics(CoverFont(QStringLiteral("Arial"), points, false, false, false));
    }
    testing::TempDir dir_;
};

TEST_F(CoverRendererTest, ElementAtZeroDrawsAtTheOriginAndTheConverterShiftsItByItsMargin) {
    const std::string templ = WriteTemplate({Shape(0, 0, 0, 10, 10, 2)});
    const Raster page = DrawCover(templ, {}, {});
    const Ink ink = AllInk(page);
    EXPECT_EQ(ink.left, 98);
    EXPECT_EQ(ink.top, 98);
    EXPECT_EQ(ink.right, 107);  // x2 - 1
    EXPECT_EQ(ink.bottom, 107);
    EXPECT_EQ(ink.count, 100);

    const std::string out = RenderCover(dir_.path() + "cover.apf", templ, {}, {});
    faximage::CvFaxUnpacker unpacker;
    unpacker.SetInFileName(out);
    ASSERT_EQ(unpacker.GetPageCount(), 1);
    EXPECT_TRUE(unpacker.IsFirstPageFine());
    const Raster fax = unpacker.PageBitmap(1);  // trimmed to its ink's width
    ASSERT_EQ(fax.Height(), 2156);
    const Ink faxInk = AllInk(fax);
    EXPECT_EQ(faxInk.left, 148);
    EXPECT_EQ(faxInk.top, 98);
    EXPECT_EQ(faxInk.count, 100);
}

TEST_F(CoverRendererTest, TextCellStartsAtTheElementPosition) {
    TemplateElement a = Element(ekText, 0, 0, 0, 0);
    a.Text = "A";
    const Ink ink = AllInk(Draw({a}));
    ASSERT_FALSE(ink.Empty());
    // The cell's top-left is (98, 98); the letter's ink starts just inside it.
    EXPECT_GE(ink.left, 98);
    EXPECT_LE(ink.left, 100);
    EXPECT_GE(ink.top, 98);
    EXPECT_LE(ink.top, 98 + Metrics().ascent() - Metrics().capHeight() + 2);
    EXPECT_EQ(ink.bottom - ink.top + 1, Metrics().capHeight()) << "27 px font, cap height";
}

TEST_F(CoverRendererTest, FontHeightIsPointsAtNinetySixDpi) {
    EXPECT_EQ(FontPixelHeight(20), 27);
    EXPECT_EQ(FontPixelHeight(12), 16);
    EXPECT_EQ(FontPixelHeight(0), 1);
    EXPECT_EQ(FontPixelHeight(1000000), 1000);
    EXPECT_EQ(FreeFontFamily(QStringLiteral("arial")), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(FreeFontFamily(QStringLiteral("Times New Roman")),
              QStringLiteral("Liberation Serif"));
    EXPECT_EQ(FreeFontFamily(QStringLiteral("DejaVu Sans")), QStringLiteral("DejaVu Sans"));
}

// Each kind alone on the page: where its ink must lie.
TEST_F(CoverRendererTest, EachKindDrawsInsideItsBox) {
    CoverValues values;
    values.Recipient = "Recipient Name";
    values.Urgent = true;
    TemplateElement text = Element(ekText, 100, 100, 0, 0);
    text.Text = "Hello";
    TemplateElement label = text;
    label.Kind = ekLabel;
    TemplateElement line = Element(ekLine, 100, 100, 300, 0);
    line.LineDirection = 0;
    TemplateElement field = Element(ekValueField, 100, 100, 0, 0);
    field.FieldIndex = 3;
    TemplateElement flags = Element(ekFlagsLine, 100, 100, 0, 0);
    TemplateElement message = Element(ekMessageBox, 100, 100, 400, 200);
    TemplateElement unknown = Element(9, 100, 100, 300, 300);
    unknown.Text = "never";
    const int x = 198, y = 198;
    struct Case {
        const char* what;
        TemplateElement element;
        int x1, y1, x2, y2;  // where ink must be, exclusive ends; empty = none
    };
    const int textWidth = Metrics().horizontalAdvance(QStringLiteral("Hello"));
    const Case cases[] = {
        {"text", text, x, y, x + textWidth + 2, y + 27 + 8},
        {"label", label, x, y, x + textWidth + 2, y + 27 + 8},
        {"shape", Shape(4, 100, 100, 200, 100, 2), x, y, x + 200, y + 100},
        {"line", line, x, y, x + 301, y + 1},
        {"value field", field, x, y,
         x + Metrics().horizontalAdvance(QStringLiteral("Recipient Name")) + 2, y + 35},
        {"flags line", flags, x, y, x + 1500, y + 35},
        {"message box", message, x, y, x + 400, y + 200},
        {"unknown kind", unknown, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const Raster page = Draw({c.element}, values, "Message text");
        const Ink all = AllInk(page);
        if (c.x2 == 0) {
            EXPECT_TRUE(all.Empty()) << c.what;
            continue;
        }
        ASSERT_FALSE(all.Empty()) << c.what;
        EXPECT_GE(all.left, c.x1) << c.what;
        EXPECT_GE(all.top, c.y1) << c.what;
        EXPECT_LT(all.right, c.x2) << c.what;
        EXPECT_LT(all.bottom, c.y2) << c.what;
    }
}

TEST_F(CoverRendererTest, ValueFieldOutsideTheNineTextsShowsItsOwnText) {
    TemplateElement own = Element(ekValueField, 0, 0, 0, 0);
    own.FieldIndex = 9;
    own.Text = "Own";
    TemplateElement same = Element(ekText, 0, 0, 0, 0);
    same.Text = "Own";
    CoverValues values;
    values.Date = "Date";
    EXPECT_EQ(Draw({own}, values), Draw({same}));
}

TEST_F(CoverRendererTest, TextsInUtf8OrAnOlderSingleByteCodePageDrawTheSame) {
    TemplateElement utf8 = Element(ekText, 0, 0, 0, 0);
    utf8.Text = "Caf\xC3\xA9 M\xC3\xBCller";
    TemplateElement latin1 = utf8;
    latin1.Text = "Caf\xE9 M\xFCller";
    TemplateElement plain = utf8;
    plain.Text = "Cafe Muller";
    EXPECT_EQ(Draw({utf8}), Draw({latin1}));
    EXPECT_NE(Draw({utf8}), Draw({plain}));
}

TEST_F(CoverRendererTest, ShapeBrushesAndRoundedCorners) {
    // FillStyle 0 leaves the inside white, 1 paints white over black, 2 fills
    // black, and 7 keeps the brush of the shape before.
    const Raster hollow = Draw({Shape(0, 0, 0, 100, 100, 0)});
    EXPECT_FALSE(hollow.Pixel(148, 148));
    EXPECT_TRUE(hollow.Pixel(98, 148));
    const Raster whiteOverBlack = Draw({Shape(0, 0, 0, 100, 100, 2), Shape(0, 20, 20, 60, 60, 1)});
    EXPECT_FALSE(whiteOverBlack.Pixel(148, 148));
    EXPECT_TRUE(whiteOverBlack.Pixel(108, 108));
    const Raster kept = Draw({Shape(0, 0, 0, 10, 10, 2), Shape(0, 200, 0, 100, 100, 7)});
    EXPECT_TRUE(kept.Pixel(348, 148));

    // 200 × 100 with Roundness 10: corner ellipses of 20 × 20 pixels, so the
    // straight edges begin 10 pixels from each corner.
    TemplateElement rounded = Shape(2, 0, 0, 200, 100, 0);
    rounded.Roundness = 10;
    const Raster round = Draw({rounded});
    EXPECT_FALSE(round.Pixel(98, 98));
    EXPECT_FALSE(round.Pixel(100, 98));
    EXPECT_TRUE(round.Pixel(98 + 10, 98));
    EXPECT_TRUE(round.Pixel(98, 98 + 10));
    EXPECT_TRUE(round.Pixel(98 + 100, 98));
    const Raster square = Draw({Shape(0, 0, 0, 200, 100, 0)});
    EXPECT_TRUE(square.Pixel(98, 98));
    EXPECT_TRUE(Draw({Shape(9, 0, 0, 200, 100, 2)}) == Raster(1728, 2156));
}

TEST_F(CoverRendererTest, LineDirections) {
    struct Case {
        int direction;
        QPoint start, end;  // both ends are inked
    };
    const Case cases[] = {
        {0, {98, 98}, {298, 98}},
        {1, {98, 98}, {98, 198}},
        {2, {98, 198}, {298, 98}},
        {3, {98, 98}, {298, 198}},
    };
    for (const Case& c : cases) {
        TemplateElement line = Element(ekLine, 0, 0, 200, 100);
        line.LineDirection = c.direction;
        const Raster page = Draw({line});
        EXPECT_TRUE(page.Pixel(c.start.x(), c.start.y())) << c.direction;
        EXPECT_TRUE(page.Pixel(c.end.x() - (c.end.x() > c.start.x() ? 1 : 0), c.end.y()) ||
                    page.Pixel(c.end.x(), c.end.y()))
            << c.direction;
        const Ink ink = AllInk(page);
        EXPECT_LE(ink.right - ink.left, 202) << c.direction;
    }
    TemplateElement none = Element(ekLine, 0, 0, 200, 100);
    none.LineDirection = 4;
    EXPECT_TRUE(AllInk(Draw({none})).Empty());
}

TEST_F(CoverRendererTest, FlagsLineShowsNothingWithoutFlagsAndAnXInEachSetBox) {
    TemplateElement flags = Element(ekFlagsLine, 0, 0, 0, 0);
    flags.Text = "ignored";
    EXPECT_TRUE(AllInk(Draw({flags})).Empty());

    const QString labels = QStringLiteral(
        "[  ]Urgent     [  ]For Review     [  ]Please Comment     [  ]Please Reply     [  ]Please "
        "Recycle");
    const QFontMetrics metrics = Metrics();
    // The inside of box i: from after its "[" to before its "]".
    auto box = [&](int i) {
        int open = -1;
        for (int n = 0; n <= i; ++n) open = labels.indexOf(u'[', open + 1);
        return std::pair(98 + metrics.horizontalAdvance(labels.left(open + 1)),
                         98 + metrics.horizontalAdvance(labels.left(open + 3)));
    };
    CoverValues reply;
    reply.PleaseReply = true;
    CoverValues urgent;
    urgent.Urgent = true;
    const Raster withReply = Draw({flags}, reply);
    const Raster withUrgent = Draw({flags}, urgent);
    // Labels are the same; the only difference is where the X went.
    Ink onlyReply, onlyUrgent;
    for (int y = 98; y < 140; ++y)
        for (int x = 98; x < 1728; ++x) {
            const bool r = withReply.Pixel(x, y), u = withUrgent.Pixel(x, y);
            Ink& ink = r && !u ? onlyReply : (u && !r ? onlyUrgent : onlyReply);
            if (r != u) {
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ++ink.count;
            }
        }
    ASSERT_FALSE(onlyReply.Empty());
    ASSERT_FALSE(onlyUrgent.Empty());
    EXPECT_GE(onlyReply.left, box(3).first);
    EXPECT_LE(onlyReply.right, box(3).second + 2);
    EXPECT_GE(onlyUrgent.left, box(0).first);
    EXPECT_LE(onlyUrgent.right, box(0).second + 2);
}

TEST_F(CoverRendererTest, MessageBoxWrapsAtWordsAndClipsAtItsEdges) {
    TemplateElement box = Element(ekMessageBox, 0, 0, 600, 100);
    const Raster two = Draw({box}, {}, "First line\r\nSecond line");
    // Two bands of ink separated by a white gap, both inside the box.
    const Ink first = InkIn(two, 98, 98, 698, 98 + 31);
    const Ink second = InkIn(two, 98, 98 + 31, 698, 198);
    EXPECT_FALSE(first.Empty());
    EXPECT_FALSE(second.Empty());
    EXPECT_TRUE(InkIn(two, 0, 198, 1728, 2156).Empty());

    std::string paragraph;
    for (int i = 0; i < 80; ++i) paragraph += "wrapping words ";
    const Raster long_ = Draw({box}, {}, paragraph);
    const Ink inside = InkIn(long_, 98, 98, 698, 198);
    EXPECT_GT(inside.bottom, 198 - 20) << "text runs down to the bottom edge";
    EXPECT_EQ(AllInk(long_).count, inside.count) << "nothing outside the box";
    // Wrapped, not cut at the right edge: no word is split there, so the
    // rightmost ink stays clear of the edge by a little.
    EXPECT_LT(inside.right, 698 - 2);
}

TEST_F(CoverRendererTest, CutTemplateDrawsTheRecordsBeforeTheCut) {
    const std::string whole =
        EncodeTemplate({Shape(0, 0, 0, 10, 10, 2), Shape(0, 100, 0, 10, 10, 2)});
    const std::string cut = dir_.Write("cut.fct", whole.substr(0, whole.size() - 3));
    const Raster page = DrawCover(cut, {}, {});
    EXPECT_EQ(AllInk(page).count, 100);
    EXPECT_TRUE(page.Pixel(98, 98));
    EXPECT_FALSE(page.Pixel(198, 98));
    EXPECT_EQ(AllInk(DrawCover(dir_.Write("garbage.fct", "\x01\xFFnot a template"), {}, {})).count,
              0);
}

TEST_F(CoverRendererTest, MissingTemplateGivesABlankPageWithItsCornerPixel) {
    const std::string out = RenderCover(dir_.path() + "c.apf", dir_.path() + "none.fct", {}, {});
    faximage::CvFaxUnpacker unpacker;
    unpacker.SetInFileName(out);
    ASSERT_EQ(unpacker.GetPageCount(), 1);
    // The black corner pixel lies beyond what the 50-pixel margin lets onto
    // the page, so the page is blank.
    EXPECT_TRUE(AllInk(unpacker.PageBitmap(1)).Empty());
}

class CoverFileNames : public CoverRendererTest {
  protected:
    CoverFileNames() {
        app::SetProgramDirectory(home_.path());
        app::EnsureWorkDirectories();
    }
    testing::TempDir home_;
};

TEST_F(CoverFileNames, EmptyOutputPathTakesTheNextFreeCoverNumber) {
    const std::string send = app::SendDirectory();
    std::ofstream(send + "COV00000.APF") << "taken";
    const std::string templ = WriteTemplate({Shape(0, 0, 0, 10, 10, 2)});
    EXPECT_EQ(UniqueCoverName(), send + "COV00001.APF");
    EXPECT_EQ(RenderCover("", templ, {}, {}), send + "COV00001.APF");
    EXPECT_EQ(UniqueCoverName(), send + "COV00002.APF");
}

TEST_F(CoverFileNames, RenderingOverAnExistingCoverReplacesIt) {
    const std::string path = app::SendDirectory() + "COV00007.APF";
    std::ofstream(path) << std::string(500000, 'x');
    const std::string templ = WriteTemplate({Shape(0, 0, 0, 10, 10, 2)});
    EXPECT_EQ(RenderCover(path, templ, {}, {}), path);
    faximage::CvFaxUnpacker unpacker;
    unpacker.SetInFileName(path);
    ASSERT_EQ(unpacker.GetPageCount(), 1);
    EXPECT_TRUE(unpacker.PageBitmap(1).Pixel(148, 98));
    EXPECT_LT(std::filesystem::file_size(path), 100000u);
}

TEST_F(CoverFileNames, UnreadableTemplateRaisesAndWritesNothing) {
    const std::string path = app::SendDirectory() + "COV00003.APF";
    std::filesystem::create_directory(dir_.path() + "sub.fct");
    EXPECT_THROW(RenderCover(path, dir_.path() + "sub.fct", {}, {}), std::runtime_error)
        << "a directory of that name exists but is no template";
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace corvane::covers
