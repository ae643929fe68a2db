#include "main_screen.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStackedWidget>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "covers/quick_fax.h"
#include "document_import.h"
#include "driver_pickup.h"
#include "fax_grid.h"
#include "grid_columns.h"
#include "grid_orders.h"
#include "help_topics.h"
#include "platform/help_window.h"
#include "platform/prompts.h"
#include "profile.h"
#include "program_directory.h"
#include "receive_mode.h"
#include "received_rows.h"
#include "table_model.h"
#include "tables/fax_tables.h"
#include "tables/table_error.h"
#include "window_placement.h"

namespace corvane::app {

namespace {

constexpr char kGridOrderName[] = "Out";

// Stored hints use "\r" for a line break.
QString Hint(const char* stored) {
    return platform::WithLineBreaks(QString::fromUtf8(stored));
}

bool HasRow(const tables::Table& table) {
    return table.IsOpen() && table.HasCurrentRow();
}

const char kArchiveHint[] =
    "Archive this fax [CTRL+A]\r(This makes the fax invisible, but does not\rdelete it. You can "
    "view archived faxes "
    "by\rtoggling the File..Show Archived Faxes menu)";
const char kUnarchiveHint[] = "Unarchive this fax [CTRL+A]";

}  // namespace

MainScreen::MainScreen(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("MainScreen"));
    setWindowTitle(QStringLiteral("Corvane"));
    SetMainWindow(this);
    outModel_ = new TableModel(outgoing_, OutgoingColumns(), this);
    recModel_ = new TableModel(received_, ReceivedColumns(), this);
    BuildButtonBar();
    BuildPages();
    BuildMenus();
    receive_ = new ReceiveMode(*this);
    connect(buttons_["ReceiveButton"], &QToolButton::clicked, this,
            &MainScreen::ReceiveButtonClick);
    resize(900, 560);
    RunCreationSteps();
    new DocumentImport(*this);
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive && !firstActivation_ && !closed_)
                    LaterActivate();
            });
}

MainScreen::~MainScreen() {
    // While the tables are still there, so a fax cut short is listed.
    receive_->EndForClose();
    if (MainWindow() == this)
        SetMainWindow(nullptr);
}

QToolButton* MainScreen::AddButton(const char* objectName, const QString& caption,
                                   const QString& icon, const QString& hint) {
    auto* button = new QToolButton;
    button->setObjectName(QString::fromLatin1(objectName));
    button->setText(caption);
    button->setIcon(QIcon(QStringLiteral(":/icons/%1.png").arg(icon)));
    button->setIconSize(QSize(32, 32));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setMinimumWidth(64);
    button->setToolTip(hint);
    buttons_[objectName] = button;
    return button;
}

void MainScreen::BuildButtonBar() {
    auto* bar = new QWidget;
    bar->setObjectName(QStringLiteral("ButtonBar"));
    bar->setAutoFillBackground(true);
    bar->setStyleSheet(QStringLiteral(
        "#ButtonBar { background: #6f7479; border: 1px solid #3c3f42; }"
        "#ButtonBar QToolButton { color: white; font-weight: bold; padding: 2px 4px; }"
        "#ButtonBar QToolButton:disabled { color: #b8bcc0; }"
        "#ButtonBar QToolButton:hover { background: #868b90; border-radius: 3px; }"));
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(2);
    row->addWidget(AddButton(
        "NewButton", QStringLiteral("&New"), QStringLiteral("new"),
        Hint("Create a new stand-alone fax cover sheet for\ra quick one page fax message")));
    row->addWidget(AddButton("AddCoverButton", QStringLiteral("Add C&over"),
                             QStringLiteral("addcover"),
                             Hint("Add a fax cover sheet to the existing fax")));
    row->addWidget(AddButton("EditButton", QStringLiteral("&Edit"), QStringLiteral("edit"),
                             Hint("Edit the currently selected fax [CTRL+E]\r\rOutgoing faxes: If "
                                  "the fax has a cover sheet, the cover "
                                  "sheet \reditor will be used, otherwise the fax \rinformation "
                                  "editor will be used.)\r\rIncoming faxes: "
                                  "You be able to edit your notes about the fax.")));
    // Clone and Forward share one place; only one of them shows at a time.
    row->addWidget(AddButton("CloneButton", QStringLiteral("&Clone"), QStringLiteral("clone"),
                             Hint("Clone the currently selected fax [CTRL+C]")));
    row->addWidget(AddButton("ForwardButton", QStringLiteral("Forward"), QStringLiteral("forward"),
                             Hint("Forward the current received fax to the Outgoing Faxes tab")));
    row->addWidget(AddButton(
        "DeleteButton", QStringLiteral("&Delete"), QStringLiteral("delete"),
        Hint("Delete  the currently selected fax [CTRL+D]\r(If the fax has both a cover sheet "
             "and a fax\rbody, you will be given the option to delete\ronly the cover sheet or "
             "only the body of the\rfax.)")));
    row->addWidget(AddButton("ArchiveButton", QStringLiteral("&Archive"), QStringLiteral("archive"),
                             Hint(kArchiveHint)));
    row->addWidget(AddButton("SortButton", QStringLiteral("&S&ort"), QStringLiteral("sort"),
                             Hint("Change the sort order of the faxes")));
    row->addWidget(AddButton("SendButton", QStringLiteral("&Send"), QStringLiteral("send"),
                             Hint("Send the currently selected fax [CTRL+S]")));
    row->addWidget(AddButton("ReceiveButton", QStringLiteral("&Receive"), QStringLiteral("receive"),
                             Hint("Go into Fax Receive mode [CTRL+R]")));
    row->addWidget(AddButton("ViewButton", QStringLiteral("&View"), QStringLiteral("view"),
                             Hint("View or print the current fax [CTRL+V]")));
    row->addStretch();
    row->addWidget(AddButton("ExitButton", QStringLiteral("E&xit"), QStringLiteral("exit"),
                             Hint("Exit the program [CTRL+X]")));
    buttons_["SortButton"]->setPopupMode(QToolButton::InstantPopup);

    connect(buttons_["EditButton"], &QToolButton::clicked, this, &MainScreen::EditButtonClick);
    connect(buttons_["NewButton"], &QToolButton::clicked, this,
            [this] { covers::EditAddQuickFax(*this, true); });
    connect(buttons_["AddCoverButton"], &QToolButton::clicked, this,
            [this] { covers::EditAddQuickFax(*this, false); });
    connect(buttons_["CloneButton"], &QToolButton::clicked, this, &MainScreen::CloneButtonClick);
    connect(buttons_["ForwardButton"], &QToolButton::clicked, this,
            &MainScreen::ForwardButtonClick);
    connect(buttons_["DeleteButton"], &QToolButton::clicked, this, &MainScreen::DeleteButtonClick);
    connect(buttons_["ArchiveButton"], &QToolButton::clicked, this,
            &MainScreen::ArchiveButtonClick);
    connect(buttons_["ExitButton"], &QToolButton::clicked, this, &QWidget::close);
    connect(buttons_["SendButton"], &QToolButton::clicked, this, &MainScreen::SendButtonClick);
    connect(buttons_["ViewButton"], &QToolButton::clicked, this, &MainScreen::ViewPrintClick);

    auto* central = new QWidget;
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(bar);
    setCentralWidget(central);
}

void MainScreen::BuildPages() {
    faxGrid_ = new FaxGrid(*outModel_);
    faxGrid_->setObjectName(QStringLiteral("FaxGrid"));
    recFaxGrid_ = new FaxGrid(*recModel_);
    recFaxGrid_->setObjectName(QStringLiteral("RecFaxGrid"));
    pages_ = new QStackedWidget;
    pages_->setObjectName(QStringLiteral("FaxPages"));
    pages_->addWidget(faxGrid_);
    pages_->addWidget(recFaxGrid_);
    tabs_ = new QTabBar;
    tabs_->setObjectName(QStringLiteral("FaxTabs"));
    tabs_->setShape(QTabBar::RoundedSouth);
    tabs_->setExpanding(false);
    tabs_->addTab(QStringLiteral("Outgoing Faxes"));
    tabs_->addTab(QStringLiteral("Incoming Faxes"));
    statusPanel_ = new QLabel;
    statusPanel_->setObjectName(QStringLiteral("StatusPanel"));
    statusPanel_->setFixedHeight(30);
    statusPanel_->setFrameShape(QFrame::Panel);
    statusPanel_->setFrameShadow(QFrame::Sunken);
    statusPanel_->setIndent(8);
    statusPanel_->hide();

    auto* column = static_cast<QVBoxLayout*>(centralWidget()->layout());
    column->addWidget(pages_, 1);
    column->addWidget(tabs_);
    column->addWidget(statusPanel_);

    connect(tabs_, &QTabBar::currentChanged, this, &MainScreen::ShowPage);
    connect(faxGrid_, &FaxGrid::currentRecordChanged, this, &MainScreen::OutgoingRowChanged);
    connect(recFaxGrid_, &FaxGrid::currentRecordChanged, this, &MainScreen::SetArchiveCaptions);
    for (FaxGrid* grid : {faxGrid_, recFaxGrid_})
        connect(grid, &QAbstractItemView::doubleClicked, this, [this] {
            if (buttons_["EditButton"]->isEnabled())
                EditButtonClick();
        });
}

QAction* MainScreen::AddItem(QMenu* menu, const char* objectName, const QString& caption,
                             const QKeySequence& shortcut, const QString& hint) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(objectName));
    item->setShortcut(shortcut);
    item->setShortcutContext(Qt::WindowShortcut);
    if (!hint.isEmpty()) {
        item->setToolTip(hint);
        item->setStatusTip(hint);
    }
    items_[objectName] = item;
    return item;
}

void MainScreen::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("FileMenu"));
    file->setToolTipsVisible(true);
    auto tip = [this](const char* button) { return buttons_[button]->toolTip(); };
    AddItem(file, "NewCoverSheetItem", QStringLiteral("&New Cover Sheet"),
            QKeySequence(QStringLiteral("Ctrl+N")), tip("NewButton"));
    AddItem(file, "AddCoverSheetItem", QStringLiteral("Add C&over Sheet"),
            QKeySequence(QStringLiteral("Ctrl+O")), tip("AddCoverButton"));
    AddItem(file, "EditItem", QStringLiteral("&Edit"), QKeySequence(QStringLiteral("Ctrl+E")),
            tip("EditButton"));
    AddItem(file, "CloneItem", QStringLiteral("&Clone"), QKeySequence(QStringLiteral("Ctrl+C")),
            tip("CloneButton"));
    AddItem(file, "DeleteItem", QStringLiteral("&Delete"), QKeySequence(QStringLiteral("Ctrl+D")),
            tip("DeleteButton"));
    AddItem(file, "ArchiveItem", QStringLiteral("&Archive"), QKeySequence(QStringLiteral("Ctrl+A")),
            tip("ArchiveButton"));
    AddItem(file, "ForwardItem", QStringLiteral("Forward Received Fax"), {}, tip("ForwardButton"));
    QAction* showArchived =
        AddItem(file, "ShowArchivedItem", QStringLiteral("S&how Archived Faxes"), {});
    showArchived->setCheckable(true);
    file->addSeparator();
    AddItem(file, "SendFaxItem", QStringLiteral("&Send Fax"),
            QKeySequence(QStringLiteral("Ctrl+S")), tip("SendButton"));
    AddItem(file, "ReceiveFaxItem", QStringLiteral("&Receive Fax"),
            QKeySequence(QStringLiteral("Ctrl+R")), tip("ReceiveButton"));
    AddItem(file, "ViewPrintItem", QStringLiteral("View/Print Fax"),
            QKeySequence(QStringLiteral("Ctrl+V")), tip("ViewButton"));
    file->addSeparator();
    AddItem(file, "PhoneBookItem", QStringLiteral("&Phone Book"), {});
    AddItem(file, "RebuildIndexesItem", QStringLiteral("Rebuild &Indexes"), {},
            QStringLiteral("Do this every 2 weeks "));
    AddItem(file, "PreferencesItem", QStringLiteral("P&references"), {});
    file->addSeparator();
    AddItem(file, "ExitItem", QStringLiteral("E&xit"), QKeySequence(QStringLiteral("Ctrl+X")),
            tip("ExitButton"));

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("HelpMenu"));
    AddItem(help, "ContentsItem", QStringLiteral("Contents"), {});
    AddItem(help, "TroubleshootingItem", QStringLiteral("Troubleshooting Tips"), {});
    AddItem(help, "AboutItem", QStringLiteral("About"), {});

    // Items with a button act by clicking it, so both share one enabled state.
    for (const auto& [item, button] :
         std::map<std::string, std::string>{{"SendFaxItem", "SendButton"},
                                            {"NewCoverSheetItem", "NewButton"},
                                            {"AddCoverSheetItem", "AddCoverButton"},
                                            {"EditItem", "EditButton"},
                                            {"CloneItem", "CloneButton"},
                                            {"DeleteItem", "DeleteButton"},
                                            {"ArchiveItem", "ArchiveButton"},
                                            {"ForwardItem", "ForwardButton"},
                                            {"ReceiveFaxItem", "ReceiveButton"},
                                            {"ViewPrintItem", "ViewButton"},
                                            {"ExitItem", "ExitButton"}}) {
        QToolButton* target = buttons_[button];
        connect(items_[item], &QAction::triggered, target, [target] { target->click(); });
    }
    connect(showArchived, &QAction::triggered, this, &MainScreen::ShowArchivedClick);
    connect(items_["PhoneBookItem"], &QAction::triggered, this, &MainScreen::PhoneBookClick);
    connect(items_["PreferencesItem"], &QAction::triggered, this, &MainScreen::PreferencesClick);
    connect(items_["RebuildIndexesItem"], &QAction::triggered, this,
            &MainScreen::RebuildIndexesClick);
    connect(items_["ContentsItem"], &QAction::triggered, this,
            [] { platform::ShowHelpTopic(kHelpContents); });
    connect(items_["TroubleshootingItem"], &QAction::triggered, this,
            [] { platform::ShowHelpTopic(kHelpTroubleshooting); });
    connect(items_["AboutItem"], &QAction::triggered, this, &MainScreen::AboutClick);

    outSortMenu_ = new QMenu(this);
    outSortMenu_->setObjectName(QStringLiteral("OutSortMenu"));
    inSortMenu_ = new QMenu(this);
    inSortMenu_->setObjectName(QStringLiteral("InSortMenu"));
    auto sortItem = [this](QMenu* menu, QActionGroup* group, const char* name,
                           const QString& caption) {
        QAction* item = AddItem(menu, name, caption, {});
        item->setCheckable(true);
        group->addAction(item);
        return item;
    };
    auto* outGroup = new QActionGroup(this);
    auto* inGroup = new QActionGroup(this);
    QAction* dateSent =
        sortItem(outSortMenu_, outGroup, "DateSentSortItem", QStringLiteral("Date Sent"));
    QAction* subject =
        sortItem(outSortMenu_, outGroup, "SubjectSortItem", QStringLiteral("Subject"));
    QAction* recipient =
        sortItem(outSortMenu_, outGroup, "RecipientSortItem", QStringLiteral("Recipient"));
    QAction* dateReceived =
        sortItem(inSortMenu_, inGroup, "DateReceivedSortItem", QStringLiteral("Date Received"));
    QAction* from = sortItem(inSortMenu_, inGroup, "FromSortItem", QStringLiteral("From"));
    dateSent->setChecked(true);
    dateReceived->setChecked(true);
    connect(dateSent, &QAction::triggered, this,
            [this, dateSent] { SortOutgoing(dateSent, "DATESENT"); });
    connect(subject, &QAction::triggered, this,
            [this, subject] { SortOutgoing(subject, "SUBJECT"); });
    connect(recipient, &QAction::triggered, this,
            [this, recipient] { SortOutgoing(recipient, "RECIPIENT"); });
    connect(dateReceived, &QAction::triggered, this,
            [this, dateReceived] { SortIncoming(dateReceived, "DATETIME"); });
    connect(from, &QAction::triggered, this, [this, from] { SortIncoming(from, "FROM"); });
    buttons_["SortButton"]->setMenu(outSortMenu_);
}

void MainScreen::RunCreationSteps() {
    faxGrid_->show();
    pages_->setCurrentIndex(kOutgoingPage);
    platform::Prompts& prompts = platform::CurrentPrompts();
    bool outgoingOpen = tables::OpenOutgoingTable(outgoing_, ProgramDirectory(), archiveFilter_);
    if (outgoingOpen) {
        try {
            outgoing_.SetOrder(outgoing_.TagArea("DATESENT"));
            outgoing_.First();
        } catch (const tables::TableError&) {
        }
    } else {
        prompts.ShowInformation(
            QStringLiteral("Unable to open/create the FAX datafile - closing program"));
        QTimer::singleShot(0, this, &QWidget::close);
    }
    if (!tables::OpenRecFaxDBF(received_, ProgramDirectory())) {
        prompts.ShowInformation(
            QStringLiteral("Unable to open/create the FAX RECEIVE datafile - closing program"));
        QTimer::singleShot(0, this, &QWidget::close);
        RefreshGrids();
        return;
    }
    ApplyArchiveFilter();
    settings_ = LoadSettings(SettingsPath());
    portUnset_ = false;
    if (settings_.ComPort == -1) {
        portUnset_ = true;
        settings_.ComPort = 0;
    }
    receivingFax_ = false;
    receiveMode_ = false;
    platform::SetHelpPages(QStringLiteral("qrc:/help/%1.html"));
    buttons_["ForwardButton"]->hide();
    EnsureWorkDirectories();
    // Faxes a crash or a kill left unlisted are listed, not forgotten.
    ListUnlistedFaxFiles(received_, ReceiveDirectory());
    RefreshGrids();
}

void MainScreen::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (firstActivation_ && !activationPending_) {
        activationPending_ = true;
        QTimer::singleShot(0, this, &MainScreen::FirstActivate);
    }
}

void MainScreen::FirstActivate() {
    if (!firstActivation_ || closed_)
        return;
    show();
    RestorePlacement(*this, kClassName);
    std::uint32_t remembered = 0;
    if (outgoing_.IsOpen() && ProcessExtraPDFaxFiles(outgoing_, archiveFilter_))
        remembered = outgoing_.RecNo();
    raise();
    activateWindow();
    QApplication::processEvents();
    if (portUnset_)
        PreferencesClick();
    if (remembered > 0) {
        try {
            outgoing_.Go(remembered);
        } catch (const tables::TableError&) {
        }
    }
    RefreshGrids();
    SetButtons();
    LoadGridOrders(*faxGrid_, kGridOrderName);
    try {
        WriteCVPDINI(QCoreApplication::applicationFilePath().toStdString());
    } catch (const ProfileWriteError& error) {
        platform::CurrentPrompts().ShowInformation(QString::fromStdString(error.what()));
    }
    firstActivation_ = false;
}

void MainScreen::LaterActivate() {
    if (outgoing_.IsOpen() && ProcessExtraPDFaxFiles(outgoing_, archiveFilter_))
        RefreshGrids();
    SetButtons();
}

int MainScreen::CurrentPage() const {
    return pages_->currentIndex();
}

QMenu* MainScreen::SortMenuShown() const {
    return buttons_.at("SortButton")->menu();
}

void MainScreen::ShowPage(int page) {
    if (tabs_->currentIndex() != page) {
        tabs_->setCurrentIndex(page);  // comes back here through the tab change
        return;
    }
    pages_->setCurrentIndex(page);
    SetButtons();
    buttons_["SortButton"]->setMenu(page == kOutgoingPage ? outSortMenu_ : inSortMenu_);
}

void MainScreen::SetButtons() {
    const bool outgoingShown = pages_->currentIndex() == kOutgoingPage;
    const bool outHasRow = HasRow(outgoing_);
    const bool inHasRow = HasRow(received_);
    auto enable = [this](const char* name, bool on) { buttons_[name]->setEnabled(on); };
    enable("SortButton", true);
    if (outgoingShown) {
        buttons_["CloneButton"]->show();
        buttons_["ForwardButton"]->hide();
        enable("ForwardButton", false);
        enable("SendButton", !receiveMode_ && outHasRow);
        enable("NewButton", true);
        for (const char* name : {"DeleteButton", "EditButton", "ViewButton", "CloneButton"})
            enable(name, outHasRow);
        enable("AddCoverButton", !receiveMode_ && outHasRow && outgoing_.Text("FAXCOVER").empty());
    } else {
        buttons_["CloneButton"]->hide();
        buttons_["ForwardButton"]->show();
        enable("ForwardButton", inHasRow);
        enable("SendButton", false);
        enable("NewButton", false);
        for (const char* name : {"EditButton", "DeleteButton", "ViewButton"})
            enable(name, inHasRow);
        enable("CloneButton", false);
        enable("AddCoverButton", false);
    }
    enable("ArchiveButton", buttons_["DeleteButton"]->isEnabled());
    for (const auto& [item, button] :
         std::map<std::string, std::string>{{"ForwardItem", "ForwardButton"},
                                            {"NewCoverSheetItem", "NewButton"},
                                            {"AddCoverSheetItem", "AddCoverButton"},
                                            {"ViewPrintItem", "ViewButton"},
                                            {"DeleteItem", "DeleteButton"},
                                            {"EditItem", "EditButton"},
                                            {"ArchiveItem", "ArchiveButton"},
                                            {"CloneItem", "CloneButton"},
                                            {"SendFaxItem", "SendButton"}})
        items_[item]->setEnabled(buttons_[button]->isEnabled());
    items_["RebuildIndexesItem"]->setEnabled(!receiveMode_);
    items_["PreferencesItem"]->setEnabled(!receiveMode_);
    SetArchiveCaptions();

    bool reload = false;
    if (outgoing_.IsOpen()) {
        try {
            if (!outHasRow && outgoing_.IndexOrd() != 0) {
                outgoing_.SetOrder(0);
                reload = true;
            } else if (outHasRow && outgoing_.IndexOrd() == 0) {
                items_["DateSentSortItem"]->setChecked(true);
                outgoing_.SetOrder(outgoing_.TagArea("DATESENT"));
                outgoing_.First();
                reload = true;
            }
        } catch (const tables::TableError&) {
        }
    }
    faxGrid_->setEnabled(outHasRow);
    if (received_.IsOpen()) {
        try {
            if (inHasRow && received_.IndexOrd() == 0) {
                received_.SetOrder(received_.TagArea("DATETIME"));
                received_.First();
                reload = true;
            } else if (!inHasRow && received_.IndexOrd() != 0) {
                received_.SetOrder(0);
                reload = true;
            }
        } catch (const tables::TableError&) {
        }
    }
    recFaxGrid_->setEnabled(inHasRow);
    if (reload)
        RefreshGrids();
}

void MainScreen::SetArchiveCaptions() {
    tables::Table& table = pages_->currentIndex() == kIncomingPage ? received_ : outgoing_;
    const bool archived = HasRow(table) && table.Logical("ARCHIVED");
    QToolButton* button = buttons_["ArchiveButton"];
    button->setText(archived ? QStringLiteral("Un&Archive") : QStringLiteral("&Archive"));
    button->setToolTip(Hint(archived ? kUnarchiveHint : kArchiveHint));
    items_["ArchiveItem"]->setText(button->text());
}

void MainScreen::OutgoingRowChanged() {
    SetArchiveCaptions();
    if (firstActivation_)
        return;
    const bool canAddCover = HasRow(outgoing_) && outgoing_.Text("FAXCOVER").empty();
    buttons_["AddCoverButton"]->setEnabled(canAddCover);
    items_["AddCoverSheetItem"]->setEnabled(canAddCover);
}

void MainScreen::RefreshGrids() {
    faxGrid_->Refresh();
    recFaxGrid_->Refresh();
}

void MainScreen::ApplyArchiveFilter() {
    for (tables::Table* table : {&outgoing_, &received_}) {
        if (!table->IsOpen())
            continue;
        try {
            table->SetQuery(archiveFilter_);
        } catch (const std::exception&) {
        }
    }
}

void MainScreen::CloseTables() {
    outgoing_.Close();
    received_.Close();
}

void MainScreen::closeEvent(QCloseEvent* event) {
    if (closed_) {
        event->accept();
        return;
    }
    if (receivingFax_ && !platform::CurrentPrompts().AskYesNo(
                             QStringLiteral("You are receiving a fax. Close the program?"),
                             QStringLiteral("ALERT!"))) {
        event->ignore();
        return;
    }
    receive_->EndForClose();
    if (outgoing_.IsOpen())
        SaveGridOrders(*faxGrid_, kGridOrderName);
    QApplication::processEvents();
    CloseTables();
    QApplication::processEvents();
    closed_ = true;
    try {
        SavePlacement(*this, kClassName);
    } catch (const ProfileWriteError& error) {
        platform::CurrentPrompts().ShowInformation(QString::fromStdString(error.what()));
    }
    RefreshGrids();
    SetButtons();
    event->accept();
}

void MainScreen::ReceiveButtonClick() {
    receive_->ReceiveButtonClick();
}

void MainScreen::Beep() {
    platform::CurrentPrompts().Beep();
}

}  // namespace corvane::app
