// The phone book in both modes and the index rebuild run from the menu.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/fax_editor.h"
#include "app/fax_grid.h"
#include "app/main_screen.h"
#include "app/phone_book.h"
#include "app/rebuild_indexes.h"
#include "gui_support.h"
#include "tables/fax_tables.h"

namespace corvane::testing {
namespace {

class PhoneBookTest : public ProgramDirectoryFixture {
  protected:
    static bool Enabled(QDialog& dialog, const char* name) {
        auto* button = dialog.findChild<QPushButton*>(name);
        EXPECT_NE(button, nullptr) << name;
        return button != nullptr && button->isEnabled();
    }
    static bool Shown(QDialog& dialog, const char* name) {
        auto* button = dialog.findChild<QPushButton*>(name);
        return button != nullptr && !button->isHidden();
    }
    static void Click(QDialog& dialog, const char* name) {
        dialog.findChild<QPushButton*>(name)->click();
    }
    // The entry editor, answered with these values.
    std::function<int(QDialog&)> EntryEditor(const QString& name, const QString& number) {
        return [name, number](QDialog& dialog) {
            auto& editor = dynamic_cast<app::PhoneBookEditor&>(dialog);
            editor.Name->setText(name);
            editor.Number->setText(number);
            return int(QDialog::Accepted);
        };
    }
};

TEST_F(PhoneBookTest, BrowserAddsDuplicatesAndEmptyEntriesAndDisablesOnTheLastDelete) {
    tables::Table table;
    ASSERT_TRUE(tables::OpenPhoneTable(table, home(), false));
    EXPECT_TRUE(Exists(home() + "CVPB.CDX"));
    app::PhoneBook book(table, app::PhoneBook::Mode::Browse);
    EXPECT_TRUE(Shown(book, "Closebutton"));
    EXPECT_FALSE(Shown(book, "Cancelbutton"));
    EXPECT_FALSE(Shown(book, "OKButton"));
    EXPECT_FALSE(Enabled(book, "Modifybutton"));
    EXPECT_FALSE(Enabled(book, "Deletebutton"));

    for (const auto& [name, number] : std::vector<std::pair<QString, QString>>{
             {"smith", "1"}, {"Smith", "2"}, {"Smith", "3"}, {"", ""}}) {
        prompts.dialogHandler = EntryEditor(name, number);
        Click(book, "Addbutton");
    }
    EXPECT_EQ(table.QueryRecCount(), 4u);
    EXPECT_TRUE(Enabled(book, "Modifybutton"));
    // Ordered by the name as typed: "" < "Smith" < "smith".
    std::vector<std::string> names;
    for (table.First(); table.HasCurrentRow(); table.Next()) names.push_back(table.Text("NAME"));
    EXPECT_EQ(names, (std::vector<std::string>{"", "Smith", "Smith", "smith"}));

    prompts.answers = {false, true, true, true, true};
    table.First();
    book.DeletebuttonClick();  // No
    EXPECT_EQ(table.QueryRecCount(), 4u);
    EXPECT_EQ(prompts.questions.back(), "Delete: Delete the current phone book entry?:\r");
    for (int i = 0; i < 4; ++i) {
        table.First();
        book.DeletebuttonClick();
    }
    EXPECT_EQ(table.QueryRecCount(), 0u);
    EXPECT_FALSE(Enabled(book, "Modifybutton"));
    EXPECT_FALSE(Enabled(book, "Deletebutton"));
    book.ModifybuttonClick();
    EXPECT_EQ(prompts.beeps, 1);
}

TEST_F(PhoneBookTest, PickerFillsTheFaxEditorWithTheAcceptedEntry) {
    {
        tables::Table table;
        ASSERT_TRUE(tables::OpenPhoneTable(table, home(), false));
        for (const auto& [name, phone] :
             {std::pair{"Jones", "555 0199"}, std::pair{"Smith", "555 0100"}}) {
            table.Append();
            table.SetText("NAME", name);
            table.SetText("PHONE", phone);
            table.Post();
        }
    }
    app::FaxEditor editor;
    editor.Recipient->setText("before");
    prompts.dialogHandler = [this](QDialog& dialog) {
        auto& book = dynamic_cast<app::PhoneBook&>(dialog);
        EXPECT_FALSE(Shown(book, "Closebutton"));
        EXPECT_TRUE(Shown(book, "OKButton"));
        EXPECT_TRUE(Enabled(book, "OKButton"));
        auto* grid = book.findChild<app::FaxGrid*>("PhoneGrid");
        grid->selectRow(grid->Model().RowOfRecord(2));  // Smith
        Click(book, "OKButton");
        return book.result();
    };
    editor.findChild<QPushButton*>("PhonebookButton")->click();
    EXPECT_EQ(editor.Recipient->text(), "Smith");
    EXPECT_EQ(editor.FaxNumber->text(), "555 0100");

    // Cancel leaves the editor as it was.
    prompts.dialogHandler = [](QDialog&) { return int(QDialog::Rejected); };
    editor.Recipient->setText("kept");
    editor.findChild<QPushButton*>("PhonebookButton")->click();
    EXPECT_EQ(editor.Recipient->text(), "kept");
}

TEST(FaxEditorKeys, EnterMovesToTheNextFieldInsteadOfAccepting) {
    app::FaxEditor editor;
    editor.show();
    editor.activateWindow();
    editor.Recipient->setFocus();
    QTest::keyClick(editor.Recipient, Qt::Key_Return);
    EXPECT_EQ(editor.focusWidget(), editor.FaxNumber);
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(editor.result(), 0);
    editor.Recipient->setText(QString(40, 'x'));
    EXPECT_EQ(editor.Recipient->text().size(), 35);
}

class RebuildTest : public ProgramDirectoryFixture {};

TEST_F(RebuildTest, RebuildPacksEveryTableAndKeepsOrderAndFilter) {
    {
        tables::Table outgoing, received;
        ASSERT_TRUE(tables::OpenOutgoingTable(outgoing, home(), ""));
        for (const char* subject : {"delta", "Alpha", "gone", "charlie"}) {
            outgoing.Append();
            outgoing.SetText("SUBJECT", subject);
            outgoing.SetLogical("ARCHIVED", std::string(subject) == "charlie");
            outgoing.Post();
        }
        ASSERT_TRUE(tables::OpenRecFaxDBF(received, home()));
        for (const char* from : {"a", "b"}) {
            received.Append();
            received.SetText("FROM", from);
            received.Post();
        }
    }
    std::filesystem::remove(home() + "CVREC.CDX");
    auto screen = std::make_unique<app::MainScreen>();
    screen->FirstActivate();
    tables::Table& outgoing = screen->FaxTable();
    screen->findChild<QAction*>("SubjectSortItem")->trigger();
    for (outgoing.First(); outgoing.Text("SUBJECT") != "gone"; outgoing.Next()) {
    }
    prompts.answers = {true};
    screen->DeleteButtonClick();
    screen->ShowPage(app::MainScreen::kIncomingPage);
    screen->RecFaxTable().First();
    prompts.answers = {true};
    screen->DeleteButtonClick();

    std::vector<QString> labels;
    prompts.dialogHandler = [&labels](QDialog& dialog) {
        auto& rebuild = dynamic_cast<app::RebuildInd&>(dialog);
        EXPECT_TRUE(rebuild.Work());
        EXPECT_FALSE(rebuild.Work());  // once per opening
        labels.push_back(rebuild.WhatAmIDoing->text());
        return int(QDialog::Accepted);
    };
    screen->findChild<QAction*>("RebuildIndexesItem")->trigger();
    EXPECT_EQ(labels, std::vector<QString>{"Rebuilding PHONE file indexes"});
    EXPECT_EQ(outgoing.RecCount(), 3u);
    EXPECT_EQ(screen->RecFaxTable().RecCount(), 1u);
    EXPECT_TRUE(Exists(home() + "CVREC.CDX"));
    EXPECT_TRUE(Exists(home() + "CVPB.DBF"));
    EXPECT_TRUE(Exists(home() + "CVPB.CDX"));
    EXPECT_EQ(outgoing.IndexOrd(), outgoing.TagArea("SUBJECT"));
    std::vector<std::string> subjects;
    for (outgoing.First(); outgoing.HasCurrentRow(); outgoing.Next())
        subjects.push_back(outgoing.Text("SUBJECT"));
    EXPECT_EQ(subjects,
              (std::vector<std::string>{"Alpha", "delta"}));  // charlie stays archived and hidden
    EXPECT_EQ(screen->OutgoingGrid().model()->rowCount(), 2);
}

}  // namespace
}  // namespace corvane::testing
