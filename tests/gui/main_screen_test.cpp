// The main window on a program directory of its own: creation, command
// states, and the list commands with their questions and files.
#include <QAbstractItemModelTester>
#include <QAction>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <map>

#include "app/fax_editor.h"
#include "app/fax_grid.h"
#include "app/fax_settings.h"
#include "app/main_screen.h"
#include "app/small_dialogs.h"
#include "app/table_model.h"
#include "gui_support.h"
#include "tables/fax_tables.h"

namespace corvane::testing {
namespace {

using app::MainScreen;
using Row = std::map<std::string, std::string>;

class MainScreenTest : public ProgramDirectoryFixture {
  protected:
    void SeedOutgoing(const std::vector<Row>& rows) {
        tables::Table table;
        ASSERT_TRUE(tables::OpenOutgoingTable(table, home(), ""));
        for (const Row& row : rows) {
            table.Append();
            for (const auto& [field, value] : row) {
                if (field == "ARCHIVED")
                    table.SetLogical(field, value == "T");
                else
                    table.SetText(field, value);
            }
            table.Post();
        }
    }
    void SeedReceived(const std::vector<Row>& rows) {
        tables::Table table;
        ASSERT_TRUE(tables::OpenRecFaxDBF(table, home()));
        for (const Row& row : rows) {
            table.Append();
            for (const auto& [field, value] : row) table.SetText(field, value);
            table.SetDate("DATEREC", {2026, 12, 1});
            table.Post();
        }
    }
    std::unique_ptr<MainScreen> Open() {
        auto screen = std::make_unique<MainScreen>();
        screen->FirstActivate();
        return screen;
    }
    static QToolButton* Button(MainScreen& screen, const char* name) {
        auto* button = screen.findChild<QToolButton*>(name);
        EXPECT_NE(button, nullptr) << name;
        return button;
    }
    static QAction* Item(MainScreen& screen, const char* name) {
        auto* item = screen.findChild<QAction*>(name);
        EXPECT_NE(item, nullptr) << name;
        return item;
    }
    static std::vector<std::string> Column(tables::Table& table, const char* field) {
        std::vector<std::string> values;
        const auto record = table.RecNo();
        for (table.First(); table.HasCurrentRow(); table.Next())
            values.push_back(table.Text(field));
        if (record <= table.RecCount())
            table.Go(record);
        return values;
    }
};

TEST_F(MainScreenTest, FirstRunCreatesEverythingAndDisablesRowCommands) {
    std::filesystem::remove(app::SettingsPath());
    prompts.dialogHandler = [](QDialog&) { return QDialog::Rejected; };
    auto screen = Open();
    for (const char* file : {"CVOUT.DBF", "CVOUT.CDX", "CVREC.DBF", "CVREC.CDX", "SEND", "Receive"})
        EXPECT_TRUE(Exists(home() + file)) << file;
    // No port was ever chosen: Preferences opened by itself, once.
    EXPECT_EQ(prompts.dialogs, std::vector<QString>{"Preferences"});
    EXPECT_FALSE(screen->PortUnset());
    EXPECT_EQ(screen->Settings().ComPort, 0);
    EXPECT_FALSE(screen->FirstActivation());
    EXPECT_EQ(screen->FaxTable().Tags().size(), 5u);
    EXPECT_EQ(screen->RecFaxTable().Tags().size(), 3u);
    EXPECT_TRUE(Exists(home() + "config/corvane/CVPD.INI"));

    for (const char* name : {"SendButton", "EditButton", "DeleteButton", "ViewButton",
                             "CloneButton", "ArchiveButton", "AddCoverButton"})
        EXPECT_FALSE(Button(*screen, name)->isEnabled()) << name;
    EXPECT_TRUE(Button(*screen, "NewButton")->isEnabled());
    EXPECT_TRUE(Button(*screen, "SortButton")->isEnabled());
    EXPECT_FALSE(screen->OutgoingGrid().isEnabled());
    EXPECT_EQ(screen->FaxTable().IndexOrd(), 0);
    EXPECT_FALSE(Item(*screen, "EditItem")->isEnabled());
    EXPECT_TRUE(Item(*screen, "RebuildIndexesItem")->isEnabled());

    // Acting on an empty list only beeps.
    screen->DeleteButtonClick();
    screen->ArchiveButtonClick();
    screen->CloneButtonClick();
    EXPECT_EQ(prompts.beeps, 3);
    EXPECT_TRUE(prompts.questions.empty());
}

TEST_F(MainScreenTest, TablesThatCannotOpenAreReportedInOrder) {
    struct Case {
        std::vector<const char*> damaged;
        std::vector<QString> messages;
    } cases[] = {
        {{"CVOUT.DBF"}, {"Unable to open/create the FAX datafile - closing program"}},
        {{"CVOUT.DBF", "CVREC.DBF"},
         {"Unable to open/create the FAX datafile - closing program",
          "Unable to open/create the FAX RECEIVE datafile - closing program"}},
    };
    for (const Case& c : cases) {
        for (const char* name : c.damaged) WriteFile(home() + name, "not a table");
        prompts.informations.clear();
        MainScreen screen;
        EXPECT_EQ(prompts.informations, c.messages);
        EXPECT_FALSE(screen.FaxTable().IsOpen());
        EXPECT_EQ(screen.RecFaxTable().IsOpen(), c.damaged.size() == 1);
        std::filesystem::remove(home() + "CVREC.DBF");
    }
}

TEST_F(MainScreenTest, PortUnsetOnlyWhileNoPortWasEverSaved) {
    app::FaxSettings settings;
    settings.ComPort = 2;
    app::SaveSettings(app::SettingsPath(), settings);
    auto screen = Open();
    EXPECT_FALSE(screen->PortUnset());
    EXPECT_EQ(screen->Settings().ComPort, 2);
}

TEST_F(MainScreenTest, ModelsPassTheItemModelTesterAndTabsSwitchCommands) {
    SeedOutgoing({{{"SUBJECT", "One"}, {"FAXDOC", "A.APF"}}, {{"SUBJECT", "Two"}}});
    SeedReceived({{{"FROM", "555 1234"}, {"FAXFILE", "FAX00000.APF"}}});
    auto screen = Open();
    QAbstractItemModelTester outTester(screen->OutgoingGrid().model(),
                                       QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModelTester inTester(screen->IncomingGrid().model(),
                                      QAbstractItemModelTester::FailureReportingMode::Fatal);
    screen->OutgoingGrid().Refresh();
    EXPECT_EQ(screen->OutgoingGrid().model()->rowCount(), 2);
    EXPECT_EQ(screen->OutgoingGrid().model()->columnCount(), 8);
    EXPECT_EQ(screen->OutgoingGrid().model()->headerData(0, Qt::Horizontal).toString(),
              "Date Sent");
    EXPECT_EQ(screen->FaxTable().IndexOrd(), screen->FaxTable().TagArea("DATESENT"));
    EXPECT_TRUE(Button(*screen, "CloneButton")->isVisibleTo(screen.get()));
    EXPECT_FALSE(Button(*screen, "ForwardButton")->isVisibleTo(screen.get()));
    EXPECT_EQ(screen->SortMenuShown()->objectName(), "OutSortMenu");

    screen->ShowPage(MainScreen::kIncomingPage);
    EXPECT_FALSE(Button(*screen, "CloneButton")->isVisibleTo(screen.get()));
    EXPECT_TRUE(Button(*screen, "ForwardButton")->isEnabled());
    EXPECT_FALSE(Button(*screen, "SendButton")->isEnabled());
    EXPECT_FALSE(Button(*screen, "NewButton")->isEnabled());
    EXPECT_TRUE(Button(*screen, "EditButton")->isEnabled());
    EXPECT_EQ(screen->SortMenuShown()->objectName(), "InSortMenu");
    EXPECT_EQ(screen->RecFaxTable().IndexOrd(), screen->RecFaxTable().TagArea("DATETIME"));
    EXPECT_EQ(screen->IncomingGrid().model()->index(0, 2).data().toString(), "555 1234");
}

TEST_F(MainScreenTest, CloneCopiesFilesAndSkipsACoverWithoutItsData) {
    const std::string send = home() + "SEND/";
    std::filesystem::create_directories(send);
    WriteFaxFile(send + "BODY.APF");
    WriteFaxFile(send + "COV00007.APF");
    WriteFile(send + "COV00007.FCD", "cover data");
    WriteFaxFile(send + "COV00008.APF");  // no data file
    SeedOutgoing({{{"SUBJECT", "Offer"},
                   {"FAXDOC", "BODY.APF"},
                   {"FAXCOVER", "COV00007.APF"},
                   {"PHONE", "555"}},
                  {{"SUBJECT", "Lone"}, {"FAXDOC", "BODY.APF"}, {"FAXCOVER", "COV00008.APF"}}});
    auto screen = Open();
    tables::Table& table = screen->FaxTable();
    struct Case {
        const char* subject;
        std::string cover;  // the new row's FAXCOVER
    } cases[] = {{"Offer", "COV00000.APF"}, {"Lone", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.subject);
        table.SetOrder(0);
        for (table.First(); table.Text("SUBJECT") != c.subject; table.Next()) {
        }
        prompts.answers = {true};
        screen->CloneButtonClick();
        table.SetOrder(0);
        table.Last();
        EXPECT_EQ(table.Text("SUBJECT"), std::string("[clone]") + c.subject);
        EXPECT_EQ(table.Text("FAXCOVER"), c.cover);
        EXPECT_TRUE(Exists(send + table.Text("FAXDOC")));
        EXPECT_EQ(table.Text("FAXDOC").substr(0, 3), "FAX");
        EXPECT_TRUE(table.Text("NOTES").empty());
    }
    EXPECT_TRUE(Exists(send + "COV00000.fcd"));
    EXPECT_TRUE(Exists(send + "BODY.APF"));
    EXPECT_TRUE(Exists(send + "COV00007.APF"));
    EXPECT_EQ(prompts.questions.front(), "Clone: Clone the current fax?\r\n(subject: \"Offer\")");

    // A subject of 50 characters stays at 50 after the prefix.
    table.Edit();
    table.SetText("SUBJECT", std::string(50, 's'));
    table.Post();
    prompts.answers = {true};
    screen->CloneButtonClick();
    table.SetOrder(0);
    table.Last();
    EXPECT_EQ(table.Text("SUBJECT"), "[clone]" + std::string(43, 's'));
}

TEST_F(MainScreenTest, DeleteChoicesRemoveTheChosenPartsAndTheirFiles) {
    const std::string send = home() + "SEND/";
    struct Case {
        int choice;  // -1: Cancel
        bool rowKept, documentKept, coverKept;
    } cases[] = {{app::DeleteWhat::DeleteCover, true, true, false},
                 {app::DeleteWhat::DeleteBody, true, false, true},
                 {app::DeleteWhat::DeleteBoth, false, false, false},
                 {-1, true, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.choice);
        std::filesystem::remove_all(home());
        std::filesystem::create_directories(send);
        MarkPortChosen();
        WriteFaxFile(send + "doc.apf");  // named in another letter case than the row
        WriteFaxFile(send + "COV00001.APF");
        WriteFile(send + "COV00001.fcd", "data");
        SeedOutgoing({{{"SUBJECT", "Both"}, {"FAXDOC", "DOC.APF"}, {"FAXCOVER", "COV00001.APF"}}});
        auto screen = Open();
        prompts.dialogHandler = [&](QDialog& dialog) {
            auto& what = dynamic_cast<app::DeleteWhat&>(dialog);
            EXPECT_EQ(what.Choice(), app::DeleteWhat::DeleteBoth);
            if (c.choice < 0)
                return int(QDialog::Rejected);
            what.SetChoice(c.choice);
            return int(QDialog::Accepted);
        };
        screen->DeleteButtonClick();
        tables::Table& table = screen->FaxTable();
        EXPECT_EQ(table.QueryRecCount(), c.rowKept ? 1u : 0u);
        EXPECT_EQ(Exists(send + "doc.apf"), c.documentKept);
        EXPECT_EQ(Exists(send + "COV00001.APF"), c.coverKept);
        EXPECT_EQ(Exists(send + "COV00001.fcd"), c.coverKept);
        if (c.choice == app::DeleteWhat::DeleteCover) {
            EXPECT_EQ(table.Text("FAXDOC"), "DOC.APF");
            EXPECT_TRUE(Button(*screen, "AddCoverButton")->isEnabled());
        }
    }
}

TEST_F(MainScreenTest, DeleteOfAReceivedFaxAsksWithTheSenderAndRemovesItsFile) {
    std::filesystem::create_directories(home() + "Receive");
    WriteFaxFile(home() + "Receive/FAX00000.APF");
    SeedReceived({{{"FROM", "555 1234"}, {"FAXFILE", "FAX00000.APF"}}});
    auto screen = Open();
    screen->ShowPage(MainScreen::kIncomingPage);
    prompts.answers = {false, true};
    screen->DeleteButtonClick();
    EXPECT_EQ(screen->RecFaxTable().QueryRecCount(), 1u);
    screen->DeleteButtonClick();
    EXPECT_EQ(screen->RecFaxTable().QueryRecCount(), 0u);
    EXPECT_FALSE(Exists(home() + "Receive/FAX00000.APF"));
    EXPECT_EQ(prompts.questions[0], "Delete: Delete the current fax?\r\n(from: \"555 1234\")");
    EXPECT_FALSE(Button(*screen, "DeleteButton")->isEnabled());
}

TEST_F(MainScreenTest, ArchiveHidesShowArchivedDrawsRedAndUnarchiveRestores) {
    SeedOutgoing(
        {{{"SUBJECT", "Keep"}, {"RECIPIENT", "Ann"}}, {{"SUBJECT", ""}, {"RECIPIENT", "Bob"}}});
    auto screen = Open();
    app::FaxGrid& grid = screen->OutgoingGrid();
    tables::Table& table = screen->FaxTable();
    table.SetOrder(0);
    table.Last();  // the row without a subject
    prompts.answers = {true};
    screen->ArchiveButtonClick();
    EXPECT_EQ(prompts.questions.back(), "Archive: Archive the current fax?\r(no subject)");
    EXPECT_EQ(grid.model()->rowCount(), 1);

    Item(*screen, "ShowArchivedItem")->trigger();
    ASSERT_EQ(grid.model()->rowCount(), 2);
    const int archivedRow = grid.Model().RowOfRecord(2);
    ASSERT_GE(archivedRow, 0);
    const QModelIndex archived = grid.model()->index(archivedRow, 0);
    EXPECT_TRUE(archived.data(app::TableModel::kArchivedRole).toBool());
    // Drawn red, and not red once selected (white on the selection).
    grid.resize(900, 200);
    grid.show();
    auto redPixels = [&](int row) {
        const QImage image = grid.viewport()->grab().toImage();
        const QRect cells =
            grid.visualRect(grid.model()->index(row, 0))
                .united(grid.visualRect(grid.model()->index(row, grid.model()->columnCount() - 1)));
        int count = 0;
        for (int y = cells.top(); y <= cells.bottom(); ++y)
            for (int x = cells.left(); x <= cells.right() && x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                count += c.red() > 200 && c.green() < 80 && c.blue() < 80;
            }
        return count;
    };
    grid.selectRow(1 - archivedRow);
    EXPECT_GT(redPixels(archivedRow), 0);
    EXPECT_EQ(redPixels(1 - archivedRow), 0);
    grid.selectRow(archivedRow);
    EXPECT_EQ(redPixels(archivedRow), 0);

    table.Go(2);
    screen->SetArchiveCaptions();
    EXPECT_EQ(Button(*screen, "ArchiveButton")->text(), "Un&Archive");
    EXPECT_EQ(Item(*screen, "ArchiveItem")->text(), "Un&Archive");
    prompts.answers = {true};
    screen->ArchiveButtonClick();
    EXPECT_EQ(prompts.questions.back(), "Archive: UnArchive the current fax?\r(no subject)");
    EXPECT_FALSE(grid.model()
                     ->index(grid.Model().RowOfRecord(2), 0)
                     .data(app::TableModel::kArchivedRole)
                     .toBool());
    EXPECT_EQ(Button(*screen, "ArchiveButton")->text(), "&Archive");
}

TEST_F(MainScreenTest, ForwardOfAMissingFileAsksNothingAndOfAPresentOneAddsARow) {
    std::filesystem::create_directories(home() + "Receive");
    WriteFaxFile(home() + "Receive/FAX00001.APF");
    SeedReceived({{{"FROM", "Gone"}, {"FAXFILE", "FAX00000.APF"}},
                  {{"FROM", "Here"}, {"FAXFILE", "FAX00001.APF"}}});
    auto screen = Open();
    screen->ShowPage(MainScreen::kIncomingPage);
    tables::Table& received = screen->RecFaxTable();
    received.SetOrder(0);
    received.First();
    screen->ForwardButtonClick();
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_TRUE(prompts.dialogs.empty());

    received.Next();
    prompts.answers = {true};
    prompts.dialogHandler = [](QDialog& dialog) {
        auto& editor = dynamic_cast<app::FaxEditor&>(dialog);
        EXPECT_EQ(editor.windowTitle(), "Forward fax from: Here");
        EXPECT_TRUE(editor.Recipient->text().isEmpty());
        editor.Recipient->setText("Office");
        editor.FaxNumber->setText("555 0101");
        return int(QDialog::Accepted);
    };
    screen->ForwardButtonClick();
    EXPECT_EQ(prompts.questions.back(),
              "Forward: Forward the current fax to be sent?\r\n(from: Here)");
    EXPECT_EQ(screen->CurrentPage(), MainScreen::kOutgoingPage);
    tables::Table& outgoing = screen->FaxTable();
    ASSERT_EQ(outgoing.QueryRecCount(), 1u);
    EXPECT_EQ(outgoing.Text("RECIPIENT"), "Office");
    EXPECT_EQ(outgoing.Text("FAXDOC"), "FWD00000.APF");
    EXPECT_TRUE(Exists(home() + "SEND/FWD00000.APF"));
}

TEST_F(MainScreenTest, EditWritesTheFiveFieldsAndCancelKeepsThem) {
    SeedOutgoing({{{"SUBJECT", "Old"}, {"RECIPIENT", "Ann"}}});
    auto screen = Open();
    for (const auto result : {QDialog::Rejected, QDialog::Accepted}) {
        prompts.dialogHandler = [result](QDialog& dialog) {
            auto& editor = dynamic_cast<app::FaxEditor&>(dialog);
            EXPECT_EQ(editor.Recipient->text(), "Ann");
            editor.Subject->setText("New");
            editor.Codes->setText("X1");
            return int(result);
        };
        Button(*screen, "EditButton")->click();
    }
    EXPECT_EQ(screen->FaxTable().Text("SUBJECT"), "New");
    EXPECT_EQ(screen->FaxTable().Text("CODES"), "X1");
    EXPECT_EQ(prompts.dialogs.size(), 2u);
}

TEST_F(MainScreenTest, TheFirstRowBringsBackTheDateOrderAndTheLastOneRecordOrder) {
    auto screen = Open();
    tables::Table& table = screen->FaxTable();
    ASSERT_EQ(table.IndexOrd(), 0);
    Item(*screen, "SubjectSortItem")->setChecked(true);
    table.Append();
    table.SetText("SUBJECT", "first");
    table.Post();
    screen->SetButtons();
    EXPECT_EQ(table.IndexOrd(), table.TagArea("DATESENT"));
    EXPECT_TRUE(Item(*screen, "DateSentSortItem")->isChecked());
    EXPECT_TRUE(screen->OutgoingGrid().isEnabled());
    EXPECT_EQ(screen->OutgoingGrid().model()->rowCount(), 1);
    prompts.answers = {true};
    screen->DeleteButtonClick();
    EXPECT_EQ(table.IndexOrd(), 0);
    EXPECT_FALSE(screen->OutgoingGrid().isEnabled());
}

TEST_F(MainScreenTest, ReceivedNotesAreEditedUnlessAFaxIsArriving) {
    SeedReceived({{{"FROM", "555 1234"}, {"NOTES", "old"}}});
    auto screen = Open();
    screen->ShowPage(MainScreen::kIncomingPage);
    prompts.dialogHandler = [](QDialog& dialog) {
        auto& editor = dynamic_cast<app::EditReceiveNotes&>(dialog);
        EXPECT_EQ(editor.Descript->text(), "From: 555 1234");
        EXPECT_EQ(editor.Notes->text(), "old");
        editor.Notes->setText("paid");
        return int(QDialog::Accepted);
    };
    screen->SetReceivingFax(true);
    Button(*screen, "EditButton")->click();
    EXPECT_EQ(prompts.beeps, 1);
    EXPECT_TRUE(prompts.dialogs.empty());
    screen->SetReceivingFax(false);
    Button(*screen, "EditButton")->click();
    EXPECT_EQ(screen->RecFaxTable().Text("NOTES"), "paid");
    EXPECT_EQ(screen->IncomingGrid().model()->index(0, 4).data().toString(), "paid");
}

TEST_F(MainScreenTest, SortItemsSelectTheirTagsAndMoveTheCheckMark) {
    SeedOutgoing({{{"SUBJECT", "b"}, {"RECIPIENT", "Z"}, {"TIMESENT", "10:00"}},
                  {{"SUBJECT", "A"}, {"RECIPIENT", "y"}, {"TIMESENT", "09:00"}}});
    auto screen = Open();
    tables::Table& table = screen->FaxTable();
    struct Case {
        const char* item;
        const char* tag;
        std::vector<std::string> subjects;
    } cases[] = {{"SubjectSortItem", "SUBJECT", {"A", "b"}},
                 {"RecipientSortItem", "RECIPIENT", {"A", "b"}},
                 {"DateSentSortItem", "DATESENT", {"b", "A"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        Item(*screen, c.item)->trigger();
        EXPECT_TRUE(Item(*screen, c.item)->isChecked());
        EXPECT_EQ(table.IndexOrd(), table.TagArea(c.tag));
        EXPECT_EQ(Column(table, "SUBJECT"), c.subjects);
    }
    screen->ShowPage(MainScreen::kIncomingPage);
    screen->SetReceivingFax(true);
    Item(*screen, "FromSortItem")->trigger();
    EXPECT_EQ(prompts.beeps, 1);
    EXPECT_TRUE(Item(*screen, "DateReceivedSortItem")->isChecked());
}

}  // namespace
}  // namespace corvane::testing
