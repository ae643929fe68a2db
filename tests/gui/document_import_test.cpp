// Documents into the outgoing list from the window (a dropped file, with
// its progress dialog and Cancel) and from the command line while the
// program runs.
#include <QCoreApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include "app/document_import.h"
#include "app/fax_editor.h"
#include "app/fax_grid.h"
#include "app/main_screen.h"
#include "app/table_model.h"
#include "gui_support.h"

namespace corvane::testing {
namespace {

class DocumentImportTest : public ProgramDirectoryFixture {
  protected:
    std::string Document(const std::string& name, int lines) {
        std::string text;
        for (int line = 1; line <= lines; ++line) text += "Line " + std::to_string(line) + "\n";
        const std::string path = home() + name;
        WriteFile(path, text);
        return path;
    }

    // Delivers a drop of the files on the window as the desktop would.
    static bool Drop(app::MainScreen& screen, const std::vector<std::string>& files) {
        QMimeData data;
        QList<QUrl> urls;
        for (const std::string& file : files)
            urls.append(QUrl::fromLocalFile(QString::fromStdString(file)));
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(&screen, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&screen, &drop);
        return drop.isAccepted();
    }
};

TEST_F(DocumentImportTest, DroppedFileBecomesTheSelectedRowWithItsEditorOpen) {
    app::MainScreen screen;
    screen.FirstActivate();
    QString editorSubject;
    prompts.dialogHandler = [&](QDialog& dialog) {
        auto& editor = dynamic_cast<app::FaxEditor&>(dialog);
        editorSubject = editor.Subject->text();
        editor.FaxNumber->setText("555 0199");
        editor.Recipient->setText("Ann");
        return int(QDialog::Accepted);
    };
    ASSERT_TRUE(Drop(screen, {Document("letter.txt", 150)}));
    EXPECT_EQ(prompts.dialogs, std::vector<QString>{"FaxEditor"});
    EXPECT_EQ(editorSubject, "letter.txt");
    tables::Table& table = screen.FaxTable();
    ASSERT_EQ(table.QueryRecCount(), 1u);
    EXPECT_EQ(table.Text("FAXDOC"), "DOC00000.APF");
    EXPECT_EQ(table.Text("PHONE"), "555 0199");
    EXPECT_EQ(table.Text("RECIPIENT"), "Ann");
    EXPECT_TRUE(Exists(home() + "SEND/DOC00000.APF"));
    EXPECT_FALSE(Exists(home() + "SEND/DOC00000.PXD"));
    faximage::ApfFileHeader header;
    ASSERT_EQ(faximage::ReadApfHeader(home() + "SEND/DOC00000.APF", header), 0);
    EXPECT_EQ(header.pageCount, 3);
    const app::FaxGrid& grid = screen.OutgoingGrid();
    ASSERT_TRUE(grid.currentIndex().isValid());
    EXPECT_EQ(grid.currentIndex().row(), 0);
    EXPECT_TRUE(screen.findChild<QToolButton*>("SendButton")->isEnabled());

    // A second drop adds a second row, and that one is selected.
    prompts.dialogHandler = [](QDialog&) { return int(QDialog::Rejected); };
    ASSERT_TRUE(Drop(screen, {Document("second.txt", 3)}));
    EXPECT_EQ(table.QueryRecCount(), 2u);
    EXPECT_EQ(table.Text("FAXDOC"), "DOC00001.APF");
    EXPECT_EQ(screen.OutgoingGrid().Model().RowOfRecord(table.RecNo()),
              screen.OutgoingGrid().currentIndex().row());
}

TEST_F(DocumentImportTest, CancelInTheProgressDialogLeavesNothing) {
    app::MainScreen screen;
    screen.FirstActivate();
    QTimer::singleShot(0, &screen, [&screen] {
        auto* progress = screen.findChild<QProgressDialog*>("ImportProgress");
        ASSERT_NE(progress, nullptr);
        EXPECT_TRUE(progress->isVisible());
        progress->cancel();
    });
    ASSERT_TRUE(Drop(screen, {Document("long.txt", 400)}));
    EXPECT_TRUE(prompts.dialogs.empty());
    EXPECT_EQ(screen.FaxTable().QueryRecCount(), 0u);
    EXPECT_TRUE(std::filesystem::is_empty(home() + "SEND"));
}

TEST_F(DocumentImportTest, BrokenDocumentIsReportedAndAddsNoRow) {
    app::MainScreen screen;
    screen.FirstActivate();
    WriteFile(home() + "cut.pdf", "%PDF-1.4\n1 0 obj");
    ASSERT_TRUE(Drop(screen, {home() + "cut.pdf"}));
    ASSERT_EQ(prompts.informations.size(), 1u);
    EXPECT_TRUE(prompts.informations[0].contains("cut.pdf"));
    EXPECT_EQ(screen.FaxTable().QueryRecCount(), 0u);
    EXPECT_TRUE(std::filesystem::is_empty(home() + "SEND"));
    // Things that are not files are refused at the door.
    EXPECT_FALSE(Drop(screen, {home()}));
}

TEST_F(DocumentImportTest, FileMenuOffersImportDocument) {
    app::MainScreen screen;
    auto* item = screen.findChild<QAction*>("ImportDocumentItem");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), QString::fromUtf8("&Import Document…"));
    EXPECT_TRUE(screen.findChild<QMenu*>("FileMenu")->actions().contains(item));
}

TEST_F(DocumentImportTest, SubmittedWhileRunningAppearsAtTheNextActivation) {
    app::MainScreen screen;
    screen.FirstActivate();
    const std::string command = std::string(CORVANE_BIN_DIR) + "/corvane-fax submit " +
                                Document("memo.txt", 10) + " --home " + home() +
                                " --to 5550142 --name Bob --subject Memo 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(screen.FaxTable().QueryRecCount(), 0u);
    screen.LaterActivate();
    tables::Table& table = screen.FaxTable();
    ASSERT_EQ(table.QueryRecCount(), 1u);
    table.First();
    EXPECT_EQ(table.Text("FAXDOC"), "DOC00000.APF");
    EXPECT_EQ(table.Text("PHONE"), "5550142");
    EXPECT_EQ(table.Text("RECIPIENT"), "Bob");
    EXPECT_EQ(table.Text("SUBJECT"), "Memo");
    EXPECT_EQ(screen.OutgoingGrid().model()->rowCount(), 1);
}

TEST_F(DocumentImportTest, DocumentsNamedAtStartComeInAtTheFirstActivation) {
    WriteFile(home() + "empty.txt", "");
    app::SubmitStartDocuments({QString::fromStdString(Document("start.txt", 5)),
                               QString::fromStdString(home() + "empty.txt")});
    ASSERT_EQ(prompts.informations.size(), 1u);
    EXPECT_TRUE(prompts.informations[0].contains("empty.txt"));
    app::MainScreen screen;
    screen.FirstActivate();
    tables::Table& table = screen.FaxTable();
    ASSERT_EQ(table.QueryRecCount(), 1u);
    table.First();
    EXPECT_EQ(table.Text("SUBJECT"), "start.txt");
    EXPECT_EQ(table.Text("FAXDOC"), "DOC00000.APF");
}

}  // namespace
}  // namespace corvane::testing
