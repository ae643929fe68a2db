#include "simmodem/demo_fax.h"

#include <array>
#include <memory>
#include <string_view>

#include "faximage/t4_codec.h"
#include "faximage/text_converter.h"

namespace corvane::simmodem {

namespace {

constexpr int kBlankLinesAbove = 80;
constexpr int kBlankLinesBelow = 160;
constexpr int kLineGap = 12;  // raster lines between text rows
constexpr std::string_view kIndent = "     ";

using PageText = std::vector<std::string_view>;

const std::array<PageText, 2> kPages{{
    {"CORVANE  -  A FAX FROM THE SIMULATED LINE", "",
     "This fax was sent by a simulated fax machine that called",
     "the built-in simulated modem (device \"sim\").", "",
     "It took the same way a fax from a real line takes: the",
     "modem answered, the pages arrived at the line's true speed",
     "and were written into the Receive directory.", "", "Page 1 of 2"},
    {"The simulated caller calls again a while after each call",
     "(key SimCallEvery in section [Ports] of CV.INI, seconds;", "0 switches it off).", "",
     "To receive real faxes, map Com1 to your modem's device", "in Preferences.", "",
     "Page 2 of 2"},
}};

class PageCoder {
  public:
    explicit PageCoder(const faximage::TextConverter& font) : font_(font) {}

    void Blank(int lines) {
        raster_.fill(0);
        for (int i = 0; i < lines; ++i) Code();
    }

    void Text(std::string_view text) {
        const std::string line = std::string(kIndent) + std::string(text);
        for (int row = 1; row <= font_.metrics.rows; ++row) {
            raster_.fill(0);
            faximage::RenderTextRow(font_, line, row, raster_);
            Code();
        }
        Blank(kLineGap);
    }

    FaxPage Finish() {
        data_.insert(data_.end(), faximage::kEndOfPageRecord.begin(),
                     faximage::kEndOfPageRecord.end());
        return FaxPage{std::move(data_), false, false};
    }

  private:
    void Code() {
        faximage::EncodeLine(encoder_, raster_.data());
        data_.insert(data_.end(), encoder_.buffer.begin(),
                     encoder_.buffer.begin() + encoder_.bytePos);
    }

    const faximage::TextConverter& font_;
    faximage::T4Encoder encoder_;
    std::array<std::uint8_t, faximage::kStandardLineWidth / 8> raster_{};
    std::vector<std::uint8_t> data_;
};

}  // namespace

std::vector<FaxPage> DemoFaxPages() {
    std::unique_ptr<faximage::TextConverter> font;
    std::vector<FaxPage> pages;
    if (faximage::CreateTextConverter(font) != 0) {
        return pages;
    }
    // Rows drawn twice keep the glyphs' proportions at standard resolution.
    faximage::LoadFaxFont(*font, {}, faximage::kStandardFontBytesPerGlyph, true);
    for (const PageText& text : kPages) {
        PageCoder coder(*font);
        coder.Blank(kBlankLinesAbove);
        for (std::string_view line : text) coder.Text(line);
        coder.Blank(kBlankLinesBelow);
        pages.push_back(coder.Finish());
    }
    faximage::FreeTextConverter(font);
    return pages;
}

RemoteFaxConfig DemoCaller() {
    RemoteFaxConfig config;
    config.stationId = kDemoCallerId;
    config.pagesToSend = DemoFaxPages();
    return config;
}

}  // namespace corvane::simmodem
