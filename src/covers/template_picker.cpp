#include "template_picker.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialog_support.h"
#include "app/help_topics.h"
#include "app/program_directory.h"
#include "app/window_placement.h"
#include "platform/help_window.h"
#include "platform/prompts.h"

namespace corvane::covers {

namespace {

constexpr qint64 kMaxDescriptionBytes = 4096;

QString FirstLine(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = file.read(kMaxDescriptionBytes);
    const qsizetype end = head.indexOf('\n');
    return QString::fromUtf8(end < 0 ? head : head.left(end)).remove(u'\r');
}

}  // namespace

QStringList TemplateNames(const QString& directory) {
    return QDir(directory).entryList({QStringLiteral("*.fct")}, QDir::Files,
                                     QDir::Name | QDir::IgnoreCase);
}

QString Companion(const QString& directory, const QString& templateName, const QString& extension) {
    QString name = templateName;
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    QString dir = directory;
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return QString::fromStdString(
        app::FindIgnoringCase(dir.toStdString(), (name + extension).toStdString()));
}

PreviewQuickFaxForms::PreviewQuickFaxForms(const QString& directory, const QString& current,
                                           QWidget* parent)
    : QDialog(parent), directory_(directory), current_(current) {
    setObjectName(QStringLiteral("PreviewQuickFaxForms"));
    setWindowTitle(QStringLiteral("Select Fax Cover Template"));
    FileListBox1 = new QListWidget(this);
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FileListBox1->addItems(TemplateNames(directory));
    FileListBox1->setFixedWidth(180);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setMinimumSize(300, 380);
    Image1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    Image1->setStyleSheet(QStringLiteral("background: #8a8f94;"));
    DescriptionPanel = new QLabel(this);
    DescriptionPanel->setObjectName(QStringLiteral("DescriptionPanel"));
    DescriptionPanel->setTextFormat(Qt::PlainText);
    DescriptionPanel->setFrameShape(QFrame::StyledPanel);
    DescriptionPanel->setFrameShadow(QFrame::Sunken);
    DescriptionPanel->setMinimumHeight(28);

    OkButton = app::MakeButton(this, "OkButton", QStringLiteral("Ok"));
    CancelButton = app::MakeButton(this, "CancelButton", QStringLiteral("Cancel"));
    HelpButton = app::MakeButton(this, "HelpButton", QStringLiteral("Help"));
    OkButton->setDefault(true);
    connect(OkButton, &QPushButton::clicked, this, &PreviewQuickFaxForms::OkButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpButton, &QPushButton::clicked, this,
            [] { platform::ShowHelpTopic(app::kHelpTemplatePicker); });
    connect(FileListBox1, &QListWidget::currentRowChanged, this,
            &PreviewQuickFaxForms::ShowPreview);
    connect(FileListBox1, &QListWidget::itemDoubleClicked, this,
            &PreviewQuickFaxForms::OkButtonClick);

    auto* top = new QHBoxLayout;
    top->addWidget(FileListBox1);
    top->addWidget(Image1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    buttons->addWidget(HelpButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(DescriptionPanel);
    layout->addLayout(buttons);
    resize(640, 720);
    app::RestorePlacement(*this, kClassName);
}

void PreviewQuickFaxForms::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (FileListBox1->count() == 0 || FileListBox1->currentRow() >= 0)
        return;
    int row = 0;
    for (int i = 0; i < FileListBox1->count(); ++i)
        if (FileListBox1->item(i)->text().compare(current_, Qt::CaseInsensitive) == 0) {
            row = i;
            break;
        }
    FileListBox1->setCurrentRow(row);  // shows the preview
}

void PreviewQuickFaxForms::ShowPreview() {
    const QListWidgetItem* item = FileListBox1->currentItem();
    if (!item)
        return;
    const QString bitmap = Companion(directory_, item->text(), QStringLiteral(".bmp"));
    QPixmap picture;
    if (QFile::exists(bitmap) && picture.load(bitmap)) {
        preview_ = picture;
        FitPreview();
    } else {
        platform::CurrentPrompts().ShowInformation(QStringLiteral("Image not available"));
    }
    chosen_ = item->text();
    const QString description = Companion(directory_, item->text(), QStringLiteral(".DES"));
    DescriptionPanel->setText(QFile::exists(description) ? FirstLine(description) : QString());
}

void PreviewQuickFaxForms::FitPreview() {
    if (preview_.isNull())
        return;
    const QSize room = Image1->contentsRect().size() - QSize(8, 8);
    Image1->setPixmap(preview_.scaled(room.expandedTo(QSize(1, 1)), Qt::KeepAspectRatio,
                                      Qt::SmoothTransformation));
}

void PreviewQuickFaxForms::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FitPreview();
}

void PreviewQuickFaxForms::OkButtonClick() {
    if (FileListBox1->currentRow() < 0) {
        platform::CurrentPrompts().Beep();
        return;
    }
    accept();
}

void PreviewQuickFaxForms::done(int result) {
    app::SavePlacement(*this, kClassName);
    QDialog::done(result);
}

}  // namespace corvane::covers
