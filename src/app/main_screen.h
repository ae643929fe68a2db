// The main window: a bar of picture buttons, the outgoing and incoming
// lists on two pages chosen by bottom tabs, a status panel, and a menu that
// repeats every command. It owns the two fax tables for the whole run.
#pragma once

#include <QMainWindow>
#include <map>
#include <string>

#include "fax_settings.h"
#include "tables/table.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QStackedWidget;
class QTabBar;
class QToolButton;

namespace corvane::app {

class FaxGrid;
class ReceiveMode;
class TableModel;

class MainScreen : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr char kClassName[] = "TMainScreen";
    static constexpr int kOutgoingPage = 0;
    static constexpr int kIncomingPage = 1;

    // Runs the creation steps: tables, settings, directories.
    explicit MainScreen(QWidget* parent = nullptr);
    ~MainScreen() override;

    // Activation paths; the first runs once, on the first showing.
    void FirstActivate();
    void LaterActivate();

    void SetButtons();
    void SetArchiveCaptions();
    void ShowPage(int page);  // as a tab change

    // The commands, as their buttons and menu items run them.
    void EditButtonClick();
    void CloneButtonClick();
    void DeleteButtonClick();
    void ArchiveButtonClick();
    void ForwardButtonClick();
    void ShowArchivedClick();
    void PhoneBookClick();
    void SendButtonClick();
    void PreferencesClick();
    void RebuildIndexesClick();
    void AboutClick();
    void ReceiveButtonClick();
    void ViewPrintClick();  // View button and "View/Print Fax", either list

    void EditAPFFax();
    void EditReceivedFax();
    void CloneAPFFax(const std::string& documentPath, const std::string& coverPath,
                     const std::string& phone, const std::string& recipient,
                     const std::string& subject);
    void DeleteFromSend();
    void DeleteFromRec();

    tables::Table& FaxTable() { return outgoing_; }
    tables::Table& RecFaxTable() { return received_; }
    FaxGrid& OutgoingGrid() { return *faxGrid_; }
    FaxGrid& IncomingGrid() { return *recFaxGrid_; }
    const FaxSettings& Settings() const { return settings_; }
    FaxSettings& Settings() { return settings_; }
    bool PortUnset() const { return portUnset_; }
    bool FirstActivation() const { return firstActivation_; }
    const std::string& ArchiveFilter() const { return archiveFilter_; }
    int CurrentPage() const;
    QMenu* SortMenuShown() const;
    // Set while a fax is arriving; commands on the received row beep then.
    void SetReceivingFax(bool receiving) { receivingFax_ = receiving; }
    bool ReceivingFax() const { return receivingFax_; }
    // Set while receive mode waits for calls or receives.
    void SetReceiveMode(bool on) { receiveMode_ = on; }
    bool InReceiveMode() const { return receiveMode_; }
    ReceiveMode& Receiver() { return *receive_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void BuildButtonBar();
    void BuildPages();
    void BuildMenus();
    QToolButton* AddButton(const char* objectName, const QString& caption, const QString& icon,
                           const QString& hint);
    QAction* AddItem(QMenu* menu, const char* objectName, const QString& caption,
                     const QKeySequence& shortcut, const QString& hint = {});
    void RunCreationSteps();
    void OutgoingRowChanged();
    void SortOutgoing(QAction* item, const char* tag);
    void SortIncoming(QAction* item, const char* tag);
    void ApplyArchiveFilter();
    void RefreshGrids();
    void CloseTables();
    void Beep();

    tables::Table outgoing_;
    tables::Table received_;
    tables::Table spare_;  // the phone book handle of the index rebuild
    TableModel* outModel_ = nullptr;
    TableModel* recModel_ = nullptr;
    FaxGrid* faxGrid_ = nullptr;
    FaxGrid* recFaxGrid_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QTabBar* tabs_ = nullptr;
    QLabel* statusPanel_ = nullptr;
    ReceiveMode* receive_ = nullptr;
    std::map<std::string, QToolButton*> buttons_;
    std::map<std::string, QAction*> items_;
    QMenu* outSortMenu_ = nullptr;
    QMenu* inSortMenu_ = nullptr;

    FaxSettings settings_;
    bool firstActivation_ = true;
    bool activationPending_ = false;
    bool portUnset_ = false;
    bool receiveMode_ = false;
    bool receivingFax_ = false;
    bool closed_ = false;
    std::string archiveFilter_ = ".not. archived";
};

}  // namespace corvane::app
