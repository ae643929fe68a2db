// corvane-demo-seed DIR: a program directory to try the desktop program
// on, with a few outgoing and received faxes, a printed document waiting
// to be taken in, and Com1 on the simulated modem. Existing tables are kept.
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "app/fax_settings.h"
#include "app/program_directory.h"
#include "faximage/fax_converter_component.h"
#include "faximage/raster.h"
#include "faximage/text_converter.h"
#include "tables/fax_tables.h"

namespace {

using corvane::tables::Date;
using corvane::tables::Table;

// A one-page fine fax with the lines written in the fax font, so the demo's
// faxes can be viewed and sent.
void WriteFaxFile(const std::string& path, std::initializer_list<std::string> lines) {
    namespace fi = corvane::faximage;
    std::unique_ptr<fi::TextConverter> text;
    fi::CreateTextConverter(text);
    fi::LoadFaxFont(*text, "", fi::kStandardFontBytesPerGlyph, true);
    constexpr int kWidth = 1728, kHeight = 2200, kLeftBytes = 20, kTop = 160;
    fi::Raster page(kWidth, kHeight);
    int y = kTop;
    for (const std::string& line : lines) {
        for (int row = 1; row <= text->metrics.rows && y + row <= kHeight; ++row)
            fi::RenderTextRow(*text, line, row, page.Row(y + row - 1).subspan(kLeftBytes));
        y += text->metrics.rows * 2;
    }
    page.FillRect(160, kTop - 30, kWidth - 320, 4, true);
    fi::CvFaxConverter converter;
    converter.SetResolution(fi::FaxResolution::frHigh);
    converter.SetOutFileName(path);
    const fi::PictureView view = page.View();
    converter.ConvertPages({&view, 1});
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
                         {row.subject, std::string("To: ") + row.recipient,
                          std::string("Fax: ") + row.phone});
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
                         {"Received fax", std::string("From: ") + row.from, row.notes});
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
    WriteFaxFile(app::SendDirectory() + "PRINT001.APF",
                 {"Referral letter", "To: Northside Clinic", "Fax: 555 0166"});
    std::ofstream(app::SendDirectory() + "PRINT001.PXD", std::ios::binary)
        << "555 0166\r\nNorthside Clinic\r\nReferral letter\r\n";
    return 0;
}
