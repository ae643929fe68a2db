// Cover sheets in the windows: the editor's checks, the template picker,
// and New, Add Cover and Edit writing rows, cover files and data files.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <filesystem>

#include "app/main_screen.h"
#include "covers/cover_editor.h"
#include "covers/files/template_file.h"
#include "covers/template_picker.h"
#include "faximage/apf_file.h"
#include "gui_support.h"

namespace corvane::testing {
namespace {

using covers::CreateEditQuickFax;
using covers::PreviewQuickFaxForms;

struct EditorInput {
    QString recipient, fax, regarding, message;
};

void Fill(CreateEditQuickFax& editor, const EditorInput& input) {
    editor.Recipient->setText(input.recipient);
    editor.RecipientFax->setText(input.fax);
    editor.Regarding->setText(input.regarding);
    editor.FaxMessage->setPlainText(input.message);
}

TEST_F(ProgramDirectoryFixture, CoverEditorChecksRecipientFaxAndRegardingInOrder) {
    const QString regardingMessage =
        "Please enter text for the \"regarding\" field\rand/or enter a message";
    struct Case {
        EditorInput input;
        QString message;  // empty: the dialog ends with OK
        const char* focus;
    };
    const Case cases[] = {
        {{"", "", "", ""}, "Please enter a recipient", "Recipient"},
        {{"A", "", "", ""}, "Please enter a recipient fax number", "RecipientFax"},
        {{"A", "1", "", ""}, regardingMessage, "Regarding"},
        {{"A", "1", "", "one line"}, "", nullptr},
        {{"A", "1", "Re", ""}, "", nullptr},
        {{" ", " ", "Re", ""}, "", nullptr},  // texts are not trimmed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input.recipient.toStdString() + "/" + c.input.fax.toStdString());
        app::FaxSettings settings;
        CreateEditQuickFax editor(settings);
        Fill(editor, c.input);
        prompts.informations.clear();
        editor.OkButton->click();
        if (c.message.isEmpty()) {
            EXPECT_EQ(editor.result(), QDialog::Accepted);
            EXPECT_TRUE(prompts.informations.empty());
            continue;
        }
        EXPECT_EQ(editor.result(), QDialog::Rejected);
        ASSERT_EQ(prompts.informations.size(), 1u);
        EXPECT_EQ(prompts.informations[0], c.message);
        ASSERT_NE(editor.focusWidget(), nullptr);
        EXPECT_EQ(editor.focusWidget()->objectName(), c.focus);
    }
}

TEST_F(ProgramDirectoryFixture, CoverEditorLimitsAndSenderHint) {
    app::FaxSettings settings;
    {
        CreateEditQuickFax editor(settings);
        EXPECT_EQ(editor.Notes->maxLength(), 50);
        EXPECT_EQ(editor.Codes->maxLength(), 25);
        editor.show();
        EXPECT_EQ(editor.ChangeSenderInfoButton->toolTip(), "No sender information entered");
        EXPECT_EQ(editor.CurrentQFileLabel->text(), "cv0001.fct");
    }
    settings.Name = "Ann";
    settings.Fax = "555";
    CreateEditQuickFax editor(settings);
    editor.show();
    EXPECT_EQ(editor.ChangeSenderInfoButton->toolTip(), "Ann\n\n555\n");
}

TEST_F(ProgramDirectoryFixture, CoverEditorEnterMovesToTheNextFieldInsteadOfSaving) {
    app::FaxSettings settings;
    CreateEditQuickFax editor(settings);
    Fill(editor, {"A", "1", "Re", ""});
    editor.show();
    QApplication::setActiveWindow(&editor);
    const std::pair<QWidget*, QWidget*> moves[] = {{editor.Recipient, editor.RecipientFax},
                                                   {editor.RecipientFax, editor.Regarding},
                                                   {editor.Regarding, editor.FaxMessage},
                                                   {editor.Codes, editor.ExplorerButton1}};
    for (const auto& [from, to] : moves) {
        from->setFocus();
        QTest::keyClick(from, Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), to) << from->objectName().toStdString();
    }
    EXPECT_TRUE(editor.isVisible()) << "Enter did not end the dialog";
}

class TemplatePickerTest : public ProgramDirectoryFixture {
  protected:
    TemplatePickerTest() {
        covers_ = home() + "Covers/";
        std::filesystem::create_directory(covers_);
        for (const char* name : {"cv0001.fct", "CV0002.FCT", "b.Fct", "notes.txt"})
            WriteFile(covers_ + name, "");
        WriteFile(covers_ + "cv0001.DES", "Plain cover\r\nsecond line\r\n");
        WriteFile(covers_ + "cv0002.des", "");
        QImage preview(170, 220, QImage::Format_RGB32);
        preview.fill(Qt::white);
        preview.save(QString::fromStdString(covers_ + "cv0001.bmp"), "BMP");
        preview.save(QString::fromStdString(covers_ + "CV0002.BMP"), "BMP");
    }
    std::string covers_;
};

TEST_F(TemplatePickerTest, SelectsTheCurrentTemplateIgnoringCaseAndShowsItsCompanions) {
    PreviewQuickFaxForms picker(QString::fromStdString(covers_), "CV0001.FCT");
    ASSERT_EQ(picker.FileListBox1->count(), 3);
    EXPECT_EQ(picker.FileListBox1->item(0)->text(), "b.Fct");
    picker.show();
    EXPECT_EQ(picker.FileListBox1->currentItem()->text(), "cv0001.fct");
    EXPECT_EQ(picker.Chosen(), "cv0001.fct");
    EXPECT_EQ(picker.DescriptionPanel->text(), "Plain cover");
    EXPECT_FALSE(picker.Image1->pixmap().isNull());
    EXPECT_TRUE(prompts.informations.empty());

    picker.FileListBox1->setCurrentRow(2);  // CV0002.FCT: empty description
    EXPECT_EQ(picker.Chosen(), "CV0002.FCT");
    EXPECT_EQ(picker.DescriptionPanel->text(), "");

    picker.FileListBox1->setCurrentRow(0);  // b.Fct: no picture, no description
    EXPECT_EQ(prompts.informations, std::vector<QString>{"Image not available"});
    EXPECT_FALSE(picker.Image1->pixmap().isNull()) << "the previous picture stays";
    EXPECT_EQ(picker.DescriptionPanel->text(), "");
    picker.OkButton->click();
    EXPECT_EQ(picker.result(), QDialog::Accepted);
    EXPECT_EQ(picker.Chosen(), "b.Fct");
}

TEST_F(TemplatePickerTest, UnknownCurrentNameSelectsTheFirstAndAnEmptyListOnlyBeeps) {
    {
        PreviewQuickFaxForms picker(QString::fromStdString(covers_), "gone.fct");
        picker.show();
        EXPECT_EQ(picker.FileListBox1->currentRow(), 0);
    }
    std::filesystem::create_directory(home() + "empty");
    PreviewQuickFaxForms picker(QString::fromStdString(home() + "empty"), "cv0001.fct");
    picker.show();
    picker.OkButton->click();
    EXPECT_EQ(prompts.beeps, 1);
    EXPECT_NE(picker.result(), QDialog::Accepted);
}

TEST_F(TemplatePickerTest, RemembersItsSizeAndPosition) {
    QRect placed;
    {
        PreviewQuickFaxForms picker(QString::fromStdString(covers_), "cv0001.fct");
        picker.show();
        picker.setGeometry(40, 50, 520, 480);  // inside the offscreen screen
        placed = picker.geometry();
        picker.CancelButton->click();
    }
    PreviewQuickFaxForms again(QString::fromStdString(covers_), "cv0001.fct");
    EXPECT_EQ(again.geometry(), placed);
}

// The main window's cover commands on a program directory with one template.
class QuickFaxTest : public ProgramDirectoryFixture {
  protected:
    QuickFaxTest() {
        std::filesystem::create_directory(home() + "Covers");
        covers::TemplateElement box;
        box.Kind = covers::ekShape;
        box.Width = box.Height = 20;
        box.FillStyle = 2;
        WriteFile(home() + "Covers/cv0001.fct", covers::EncodeTemplate({box}));
        screen_ = std::make_unique<app::MainScreen>();
        screen_->FirstActivate();
    }
    tables::Table& Table() { return screen_->FaxTable(); }
    void Click(const char* name) { screen_->findChild<QToolButton*>(name)->click(); }
    std::string Send(const std::string& name) { return app::SendDirectory() + name; }
    std::string ReadText(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void AddRow(const std::string& document) {
        Table().Append();
        Table().SetText("FAXDOC", document);
        Table().SetText("RECIPIENT", "Old name");
        Table().SetText("PHONE", "111");
        Table().SetText("SUBJECT", "Old subject");
        Table().Post();
        screen_->SetButtons();
    }
    // Answers the editor with these values.
    void Answer(const EditorInput& input, std::function<void(CreateEditQuickFax&)> check = {}) {
        prompts.dialogHandler = [=](QDialog& dialog) {
            auto& editor = dynamic_cast<CreateEditQuickFax&>(dialog);
            if (check)
                check(editor);
            Fill(editor, input);
            editor.OkButton->click();
            return editor.result();
        };
    }
    std::unique_ptr<app::MainScreen> screen_;
};

TEST_F(QuickFaxTest, NewCoverAddsARowWithItsCoverAndDataFile) {
    Answer({"A", "1", "", "one line"}, [](CreateEditQuickFax& editor) {
        editor.cPleaseReply->setChecked(true);
        editor.Notes->setText("n");
        editor.Codes->setText("c");
    });
    Click("NewButton");
    ASSERT_EQ(Table().QueryRecCount(), 1u);
    Table().First();
    EXPECT_EQ(Table().Text("RECIPIENT"), "A");
    EXPECT_EQ(Table().Text("PHONE"), "1");
    EXPECT_EQ(Table().Text("NOTES"), "n");
    EXPECT_EQ(Table().Text("CODES"), "c");
    EXPECT_EQ(Table().Text("FAXCOVER"), "COV00000.APF");
    faximage::ApfFileHeader header;
    ASSERT_EQ(faximage::ReadApfHeader(Send("COV00000.APF"), header), 0);
    EXPECT_EQ(header.pageCount, 1);
    EXPECT_EQ(ReadText(Send("COV00000.FCD")), "cv0001.fct\r\n   X \r\none line\r\n");
}

TEST_F(QuickFaxTest, EditReopensTheCoverWithItsDataAndRewritesItInPlace) {
    Answer({"A", "1", "Re", ""});
    Click("NewButton");
    WriteFile(Send("COV00000.FCD"), "CV0009.FCT\r\nX X X\r\nfirst\r\nsecond\r\n");
    Answer({"B", "2", "Re 2", "changed"}, [](CreateEditQuickFax& editor) {
        EXPECT_EQ(editor.Recipient->text(), "A");
        EXPECT_EQ(editor.Regarding->text(), "Re");
        EXPECT_EQ(editor.CurrentQFileLabel->text(), "CV0009.FCT") << "kept though it is gone";
        EXPECT_TRUE(editor.cUrgent->isChecked());
        EXPECT_FALSE(editor.cForReview->isChecked());
        EXPECT_TRUE(editor.cPleaseComment->isChecked());
        EXPECT_TRUE(editor.cPleaseRecycle->isChecked());
        EXPECT_EQ(editor.FaxMessage->toPlainText(), "first\nsecond");
    });
    Click("EditButton");
    EXPECT_EQ(Table().QueryRecCount(), 1u);
    EXPECT_EQ(Table().Text("RECIPIENT"), "B");
    EXPECT_EQ(Table().Text("SUBJECT"), "Re 2");
    EXPECT_EQ(Table().Text("FAXCOVER"), "COV00000.APF");
    EXPECT_FALSE(std::filesystem::exists(Send("COV00001.APF")));
    EXPECT_EQ(ReadText(Send("COV00000.FCD")), "CV0009.FCT\r\nX X X\r\nchanged\r\n");
}

TEST_F(QuickFaxTest, AddCoverKeepsTheDocumentAndTakesTheEditorsValues) {
    AddRow("FAX00003.APF");
    Answer({"New name", "222", "New subject", ""}, [](CreateEditQuickFax& editor) {
        EXPECT_EQ(editor.Recipient->text(), "Old name");
        EXPECT_EQ(editor.RecipientFax->text(), "111");
        EXPECT_TRUE(editor.FaxMessage->toPlainText().isEmpty());
    });
    Click("AddCoverButton");
    EXPECT_EQ(Table().QueryRecCount(), 1u);
    EXPECT_EQ(Table().Text("FAXDOC"), "FAX00003.APF");
    EXPECT_EQ(Table().Text("FAXCOVER"), "COV00000.APF");
    EXPECT_EQ(Table().Text("RECIPIENT"), "New name");
    EXPECT_EQ(Table().Text("SUBJECT"), "New subject");
    EXPECT_EQ(ReadText(Send("COV00000.FCD")), "cv0001.fct\r\n     \r\n");
}

TEST_F(QuickFaxTest, RenderFailureLeavesRowAndDataFileAlone) {
    // A directory where the template should be cannot be read as one.
    std::filesystem::remove(home() + "Covers/cv0001.fct");
    std::filesystem::create_directory(home() + "Covers/cv0001.fct");
    AddRow("FAX00003.APF");
    Answer({"New name", "222", "New subject", ""});
    Click("AddCoverButton");
    EXPECT_EQ(Table().Text("RECIPIENT"), "Old name");
    EXPECT_EQ(Table().Text("FAXCOVER"), "");
    ASSERT_EQ(prompts.informations.size(), 1u);
    EXPECT_TRUE(prompts.informations[0].startsWith("The cover sheet could not be made"));
    EXPECT_TRUE(std::filesystem::is_empty(app::SendDirectory()));
}

TEST_F(QuickFaxTest, MenuItemOpensTheEditorAndCancelChangesNothing) {
    prompts.dialogHandler = [](QDialog&) { return int(QDialog::Rejected); };
    QAction* item = screen_->findChild<QAction*>("NewCoverSheetItem");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    item->trigger();
    EXPECT_EQ(prompts.dialogs, std::vector<QString>{"CreateEditQuickFax"});
    EXPECT_EQ(Table().QueryRecCount(), 0u);
    EXPECT_TRUE(std::filesystem::is_empty(app::SendDirectory()));
}

}  // namespace
}  // namespace corvane::testing
