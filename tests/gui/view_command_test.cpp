// The View command on both lists: the prepared file in the viewer window
// with the row's title, the messages when there is nothing to show, and no
// work file left behind.
#include <QLabel>
#include <QToolButton>
#include <filesystem>
#include <map>

#include "../support/fax_pages.h"
#include "app/main_screen.h"
#include "gui_support.h"
#include "tables/fax_tables.h"
#include "viewer/cv_fax_printer.h"
#include "viewer/cv_fax_viewer.h"
#include "viewer/fax_viewer.h"

namespace corvane::testing {
namespace {

using Row = std::map<std::string, std::string>;

class ViewCommandTest : public ProgramDirectoryFixture {
  protected:
    ViewCommandTest() {
        app::EnsureWorkDirectories();
        prompts.dialogHandler = [this](QDialog& dialog) {
            auto& window = dynamic_cast<viewer::FaxViewer&>(dialog);
            window.show();
            status = window.findChild<QLabel*>("StatusPanel")->text();
            pages = window.Viewer().PageCount();
            header = window.Printer().FaxHeader().caption;
            return QDialog::Accepted;
        };
    }
    template <typename Opener>
    void Seed(Opener open, const Row& row) {
        tables::Table table;
        ASSERT_TRUE(open(table));
        table.Append();
        for (const auto& [field, value] : row) table.SetText(field, value);
        table.Post();
    }
    void SeedOutgoing(const Row& row) {
        Seed([this](tables::Table& t) { return tables::OpenOutgoingTable(t, home(), ""); }, row);
    }
    void SeedReceived(const Row& row) {
        Seed([this](tables::Table& t) { return tables::OpenRecFaxDBF(t, home()); }, row);
    }
    void View(int page) {
        app::MainScreen screen;
        screen.FirstActivate();
        screen.ShowPage(page);
        screen.findChild<QToolButton*>("ViewButton")->click();
    }
    std::vector<std::string> WorkFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(home()))
            if (entry.path().filename().string().starts_with("FAX"))
                names.push_back(entry.path().filename());
        return names;
    }

    QString status;
    int pages = 0;
    QString header;
};

TEST_F(ViewCommandTest, AnOutgoingFaxShowsCoverAndBodyUnderItsTitle) {
    WriteFax(app::SendDirectory() + "FAX00001.APF",
             {BarPage(1728, 900, 10), BarPage(1728, 900, 20)});
    WriteFax(app::SendDirectory() + "COV00001.APF", {BarPage(1728, 900, 30)});
    SeedOutgoing({{"FAXDOC", "FAX00001.APF"},
                  {"FAXCOVER", "COV00001.APF"},
                  {"RECIPIENT", "Ann Lee"},
                  {"SUBJECT", "Invoice"}});
    View(app::MainScreen::kOutgoingPage);
    EXPECT_EQ(pages, 3);
    EXPECT_EQ(status, "To: Ann Lee ,   Subject: Invoice: Page 1 of 3");
    EXPECT_EQ(header, "To: Ann Lee ,   Subject: Invoice");
    EXPECT_TRUE(WorkFiles().empty());
    EXPECT_TRUE(prompts.informations.empty());
}

TEST_F(ViewCommandTest, AReceivedFaxIsTitledBySenderAndNotes) {
    WriteFax(app::ReceiveDirectory() + "REC00001.APF",
             {BarPage(1728, 900, 10), BarPage(1728, 900, 20)});
    SeedReceived({{"FAXFILE", "REC00001.APF"}, {"FROM", "12345"}, {"NOTES", "urgent"}});
    View(app::MainScreen::kIncomingPage);
    EXPECT_EQ(status, "12345 - urgent: Page 1 of 2");
    EXPECT_TRUE(WorkFiles().empty());
}

TEST_F(ViewCommandTest, ARowWhoseFilesAreGoneHasNothingToView) {
    SeedOutgoing({{"FAXDOC", "GONE.APF"}, {"SUBJECT", "lost"}});
    View(app::MainScreen::kOutgoingPage);
    EXPECT_EQ(prompts.informations, std::vector<QString>{"Error - nothing to view"});
    EXPECT_EQ(pages, 0);
}

TEST_F(ViewCommandTest, ABodyThatIsNoFaxCannotBeOpened) {
    WriteFile(app::SendDirectory() + "BAD.APF", "not a fax");
    WriteFax(app::SendDirectory() + "COV00001.APF", {BarPage(1728, 900, 30)});
    SeedOutgoing({{"FAXDOC", "BAD.APF"}, {"FAXCOVER", "COV00001.APF"}});
    View(app::MainScreen::kOutgoingPage);
    EXPECT_EQ(prompts.informations, std::vector<QString>{"Error opening fax file"});
    EXPECT_EQ(pages, 0);
    EXPECT_TRUE(WorkFiles().empty());
}

}  // namespace
}  // namespace corvane::testing
