// corvane-demo-seed DIR: a program directory to try the desktop program
// on, with a few outgoing and received faxes, a printed document waiting
// to be taken in, and Com1 on the simulated modem. Existing tables are kept.
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/fax_settings.h"
#include "app/program_directory.h"
#include "faximage/fax_converter_component.h"
#include "faximage/raster.h"
#include "faximage/text_converter.h"
#include "tables/fax_tables.h"

namespace {

using corvane::tables::Date;
using corvane::tables::Table;

// Fine pages with a few lines in the fax font, drawn three times its size,
// so the demo faxes can be viewed and printed.
void WriteFaxFile(const std::string& path, const std::vector<std::string>& lines, int pages = 1) {
    namespace fx = corvane::faximage;
    constexpr int kScale = 3;
    std::unique_ptr<fx::TextConverter> text;
    fx::CreateTextConverter(text);
    fx::LoadFaxFont(*text, "", fx::kStandardFontBytesPerGlyph, true);
    std::vector<fx::Raster> rasters;
    for (int page = 1; page <= pages; ++page) {
        fx::Raster small(1728 / kScale, 2156 / kScale);
        int y = 40;
        for (std::string line : lines) {
            if (line == "$PAGE")
                line = "Page " + std::to_string(page) + " of " + std::to_string(pages);
            for (int row = 1; row <= text->metrics.rows && y + row <= small.Height(); ++row)
                fx::RenderTextRow(*text, line, row, small.Row(y + row - 1).subspan(4));
            y += text->metrics.rows + 12;
        }
        fx::Raster& large = rasters.emplace_back(1728, 2156);
        for (int sy = 0; sy < small.Height(); ++sy)
            for (int sx = 0; sx < small.Width(); ++sx)
                if (small.Pixel(sx, sy))
                    large.FillRect(sx * kScale, sy * kScale, kScale, kScale, true);
    }
    std::vector<fx::PictureView> views;
    for (const fx::Raster& raster : rasters) views.push_back(raster.View());
    fx::CvFaxConverter converter;
    converter.SetResolution(fx::FaxResolution::frHigh);
    converter.SetOutFileName(path);
    converter.ConvertPages(views);
}

struct Outgoing {
    const char* subject;
    Date sent;
    const char* time;
    const char* recipient;
    const char* phone;
    const char* result;
    const char* document;
    const char* notes;
    bool archived;
};

struct Received {
    Date date;
    const char* time;
    const char* from;
    int pages;
    const char* file;
    const char* notes;
};

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: corvane-demo-seed DIR\n");
        return 2;
    }
    namespace app = corvane::app;
    app::SetProgramDirectory(argv[1]);
    app::ForceDirectory(app::ProgramDirectory());
    app::EnsureWorkDirectories();
    Table outgoing, received;
    const std::string home = app::ProgramDirectory();
    const bool fresh = std::ifstream(home + corvane::tables::kOutgoingTableName).fail();
    if (!corvane::tables::OpenOutgoingTable(outgoing, home, "") ||
        !corvane::tables::OpenRecFaxDBF(received, home)) {
        std::fprintf(stderr, "corvane-demo-seed: cannot open the tables in %s\n", home.c_str());
        return 1;
    }
    if (fresh) {
        const Outgoing rows[] = {
            {"Quarterly price list",
             {2026, 12, 9},
             "14:05",
             "Harbour Supplies",
             "555 0142",
             "SENT",
             "FAX00000.APF",
             "",
             false},
            {"Order 4471 confirmation",
             {},
             "",
             "Mills & Daughters",
             "555 0187",
             "Busy",
             "FAX00001.APF",
             "call first",
             false},
            {"Meeting agenda",
             {2026, 11, 30},
             "09:12",
             "Town Office",
             "555 0100",
             "SENT",
             "FAX00002.APF",
             "",
             true},
        };
        for (const Outgoing& row : rows) {
            WriteFaxFile(app::SendDirectory() + row.document,
                         {"To: " + std::string(row.recipient), row.subject, "", "$PAGE"});
            outgoing.Append();
            outgoing.SetText("SUBJECT", row.subject);
            outgoing.SetDate("DATESENT", row.sent);
            outgoing.SetText("TIMESENT", row.time);
            outgoing.SetText("RECIPIENT", row.recipient);
            outgoing.SetText("PHONE", row.phone);
            outgoing.SetText("LASTRESULT", row.result);
            outgoing.SetText("FAXDOC", row.document);
            outgoing.SetText("NOTES", row.notes);
            outgoing.SetLogical("ARCHIVED", row.archived);
            outgoing.Post();
        }
        const Received faxes[] = {
            {{2026, 12, 10}, "08:41", "555 0199", 2, "FAX00000.APF", "invoice"},
            {{2026, 12, 11}, "11:02", "+1 555 0123", 1, "FAX00001.APF", ""},
        };
        for (const Received& row : faxes) {
            WriteFaxFile(app::ReceiveDirectory() + row.file,
                         {"From: " + std::string(row.from), "Received fax", "", "$PAGE"},
                         row.pages);
            received.Append();
            received.SetDate("DATEREC", row.date);
            received.SetText("TIMEREC", row.time);
            received.SetText("FROM", row.from);
            received.SetNumber("PAGES", row.pages);
            received.SetText("FAXFILE", row.file);
            received.SetText("NOTES", row.notes);
            received.Post();
        }
        app::PortDevices devices = app::DefaultPortDevices();
        devices[0] = "sim";
        app::SavePortDevices(app::SettingsPath(), devices);
        app::FaxSettings settings = app::LoadSettings(app::SettingsPath());
        settings.ComPort = 0;
        app::SaveSettings(app::SettingsPath(), settings);
    }
    // A printed document the program takes in when it starts.
    WriteFaxFile(app::SendDirectory() + "PRINT001.APF", {"Northside Clinic", "Referral letter"});
    std::ofstream(app::SendDirectory() + "PRINT001.PXD", std::ios::binary)
        << "555 0166\r\nNorthside Clinic\r\nReferral letter\r\n";
    return 0;
}
