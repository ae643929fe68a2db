#include "receive_mode.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QTime>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <filesystem>

#include "com_ports.h"
#include "fax_grid.h"
#include "faxengine/engine_codes.h"
#include "faximage/fax_errors.h"
#include "main_screen.h"
#include "platform/open_port_reporting.h"
#include "platform/prompts.h"
#include "platform/sound_player.h"
#include "program_directory.h"
#include "received_rows.h"
#include "tables/fax_tables.h"
#include "text_utils.h"

namespace corvane::app {

namespace {

using engine::FaxClass;
using engine::FaxLogCode;

constexpr FaxClass kClassBySetting[] = {FaxClass::fcDetect, FaxClass::fcClass1, FaxClass::fcClass2,
                                        FaxClass::fcClass2_0};

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The hourglass for as long as it lives.
class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

class HandlerScope {
  public:
    explicit HandlerScope(int& depth) : depth_(depth) { ++depth_; }
    ~HandlerScope() { --depth_; }
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;

  private:
    int& depth_;
};

}  // namespace

std::string ReceiveModemInit(const std::string& initString) {
    if (initString.empty() || UpperCase(initString).find("AT") != std::string::npos) {
        return initString;
    }
    return "AT" + initString;
}

FaxClass ReceiveFaxClass(int setting) {
    return setting >= 0 && setting < static_cast<int>(std::size(kClassBySetting))
               ? kClassBySetting[setting]
               : FaxClass::fcDetect;
}

ReceiveMode::ReceiveMode(MainScreen& window)
    : QObject(&window),
      window_(window),
      button_(window.findChild<QToolButton*>(QStringLiteral("ReceiveButton"))),
      item_(window.findChild<QAction*>(QStringLiteral("ReceiveFaxItem"))),
      status_(window.findChild<QLabel*>(QStringLiteral("StatusPanel"))) {}

ReceiveMode::~ReceiveMode() {
    // The window is going away: no event may reach it any more.
    if (fax_) {
        fax_->onFaxAccept = nullptr;
        fax_->onFaxError = nullptr;
        fax_->onFaxStatus = nullptr;
        fax_->onFaxLog = nullptr;
        fax_->CancelFax();
    }
    fax_.reset();
    port_.reset();
}

void ReceiveMode::ReceiveButtonClick() {
    if (inHandler_ > 0) {
        // Asked from inside a session event: stop once that event is over.
        QTimer::singleShot(0, this, [this] { ReceiveButtonClick(); });
        return;
    }
    {
        WaitCursor wait;
        lastFaxError_ = 0;
        if (!port_) {
            if (!Start()) {
                EndSession();
                window_.SetReceiveMode(false);
                ShowIdleCaptions();
                status_->hide();
            }
        } else {
            Stop();
        }
    }
    window_.SetButtons();
}

bool ReceiveMode::Start() {
    const FaxSettings& settings = window_.Settings();
    engine::PortSettings portSettings;  // 8192-byte buffers, RTS/CTS, marks 7372 and 819
    portSettings.comNumber = settings.ComPort + 1;
    port_ = MakeComPort(SettingsPath(), portSettings, true);
    port_->Port().Trace().SetFileName(ProgramDirectory() + "CVRECV.TRC");
    port_->Port().Log().SetFileName(ProgramDirectory() + "CVRECV.LOG");
    port_->Port().Trace().SetState(engine::TraceLogState::tlOn);
    port_->Port().Log().SetState(engine::TraceLogState::tlOn);
    QCoreApplication::processEvents();
    window_.SetReceiveMode(true);

    window_.SetButtons();
    QCoreApplication::processEvents();
    SetStatus(QStringLiteral("Starting receive mode..."));

    fax_ = std::make_unique<engine::CvReceiveFax>(port_->Clock(), port_->Platform());
    ++sessions_;
    fax_->faxClass = ReceiveFaxClass(settings.FaxClass);
    fax_->stationID = settings.Fax;
    fax_->answerOnRing = static_cast<std::uint16_t>(std::clamp(settings.AnswerOnRing, 1, 255));
    fax_->desiredBPS = static_cast<std::uint16_t>(std::clamp(settings.MaximumBPS, 0, 65535));
    fax_->destinationDir = ReceiveDirectory();
    fax_->receiveNaming = engine::ReceiveNaming::rnNumbered;
    fax_->constantStatus = true;
    fax_->faxFileExt = "APF";
    if (!settings.InitString.empty()) {
        fax_->modemInit = ReceiveModemInit(settings.InitString);
    }

    std::string message;
    if (!platform::OpenPortReporting(*port_, message)) {
        platform::CurrentPrompts().ShowInformation(platform::WithLineBreaks(Q(message)));
        return false;
    }

    status_->show();
    try {
        fax_->SetComPort(&port_->Port());
        BindSession();
        fax_->StartReceive();
    } catch (const std::exception&) {
        return false;
    }

    button_->setText(QStringLiteral("STOP"));
    button_->setToolTip(QStringLiteral("Stop receiving faxes"));
    item_->setText(QStringLiteral("Stop Receiving Faxes"));
    SetStatus(QStringLiteral("Waiting for fax..."));
    return true;
}

void ReceiveMode::Stop() {
    WaitCursor wait;
    SetStatus(QStringLiteral("Ending fax receive mode..."));
    QCoreApplication::processEvents();
    EndSession();
    window_.SetReceiveMode(false);
    ShowIdleCaptions();
    status_->hide();
    QCoreApplication::processEvents();
}

void ReceiveMode::EndForClose() {
    if (!port_) {
        return;
    }
    WaitCursor wait;
    EndSession();
    window_.SetReceiveMode(false);
    ShowIdleCaptions();
}

void ReceiveMode::EndSession() {
    ending_ = true;
    if (fax_) {
        try {
            fax_->CancelFax();
        } catch (const std::exception&) {
        }
    }
    if (port_) {
        // Closing writes the trace and the log.
        port_->Port().Close();
    }
    fax_.reset();
    port_.reset();
    callFile_.clear();
    window_.SetReceivingFax(false);
    ending_ = false;
}

void ReceiveMode::ShowIdleCaptions() {
    button_->setText(QStringLiteral("Receive"));
    button_->setToolTip(QStringLiteral("Start receiving faxes"));
    item_->setText(QStringLiteral("Receive Faxes"));
}

void ReceiveMode::SetStatus(const QString& text) {
    status_->setText(text);
}

void ReceiveMode::BindSession() {
    fax_->onFaxAccept = [this](engine::CvCustomReceiveFax&, bool& accept) {
        HandlerScope scope(inHandler_);
        FaxAccept(accept);
    };
    fax_->onFaxError = [this](engine::CvCustomAbstractFax&, int code) {
        HandlerScope scope(inHandler_);
        FaxError(code);
    };
    fax_->onFaxStatus = [this](engine::CvCustomAbstractFax&, bool first, bool last) {
        HandlerScope scope(inHandler_);
        FaxStatus(first, last);
    };
    fax_->onFaxLog = [this](engine::CvCustomAbstractFax&, FaxLogCode code) {
        HandlerScope scope(inHandler_);
        FaxLog(code);
    };
    fax_->onFaxFinish = [this](engine::CvCustomAbstractFax&, int code) {
        HandlerScope scope(inHandler_);
        FaxFinish(code);
    };
}

void ReceiveMode::FaxAccept(bool& accept) {
    window_.SetReceivingFax(true);
    lastFaxError_ = 0;
    callFile_.clear();
    accept = true;
}

void ReceiveMode::FaxError(int code) {
    lastFaxError_ = code;
}

void ReceiveMode::FaxStatus(bool first, bool last) {
    UpdateValues();
    if (first) {
        pagesReceived_ = 0;
    }
    if (last) {
        window_.SetReceivingFax(false);
    }
}

void ReceiveMode::UpdateValues() {
    pagesReceived_ = fax_->CurrentPage();
    std::string text(engine::ProgressText(fax_->FaxProgress()));
    // Station identifiers come padded with blanks.
    const std::string from = TrimSpaces(fax_->RemoteID());
    if (!from.empty()) {
        text += " [ from " + from + " page " + std::to_string(pagesReceived_) + "]";
    }
    if (UpperCase(text).find("ABORT") != std::string::npos) {
        text.clear();
    }
    SetStatus(Q(text));
}

void ReceiveMode::FaxLog(FaxLogCode code) {
    switch (code) {
        case FaxLogCode::lcReceiveStart:
            callFile_ = fax_->faxFile;
            break;
        case FaxLogCode::lcReceiveOK:
            window_.SetReceivingFax(false);
            RecordFax({});
            QTimer::singleShot(0, this, &ReceiveMode::FaxArrived);
            window_.SetButtons();
            break;
        case FaxLogCode::lcReceiveFail:
            CallFailed();
            break;
        default:
            break;
    }
}

// A receive session only finishes when it cannot go on (the modem does not
// answer, the port failed): receive mode would wait for calls that nobody
// answers, so it ends and says why.
void ReceiveMode::FaxFinish(int code) {
    if (ending_) {
        return;
    }
    const std::string text = ErrorText(code);
    QTimer::singleShot(0, this, [this, code, text, session = sessions_] {
        if (!port_ || session != sessions_) {
            return;
        }
        ReceiveButtonClick();
        if (code != engine::ecCancelRequested) {
            platform::CurrentPrompts().ShowInformation(platform::WithLineBreaks(Q(
                "Receive mode ended:\r\r" + (text.empty() ? std::string("Unknown error") : text))));
        }
    });
}

void ReceiveMode::CallFailed() {
    window_.SetReceivingFax(false);
    const std::string text = lastFaxError_ != 0 ? ErrorText(lastFaxError_) : std::string();
    const std::string reason = text.empty() ? "Unknown error" : text;
    // Shown once the session's event is over, so that the session is not
    // re-entered from the message box's event loop.
    QTimer::singleShot(0, this, [reason] {
        platform::CurrentPrompts().ShowInformation(
            platform::WithLineBreaks(Q("Failed to receive incoming fax:\r\r" + reason)));
    });
    lastFaxError_ = 0;
    // Complete pages are kept and listed; a file without one goes.
    const std::string file = callFile_.empty() ? fax_->faxFile : callFile_;
    if (FaxFilePages(file) > 0) {
        RecordFax(IncompleteNote(reason));
        window_.SetButtons();
    } else if (!file.empty()) {
        std::error_code error;
        std::filesystem::remove(file, error);
    }
    callFile_.clear();
}

void ReceiveMode::RecordFax(const std::string& notes) {
    const std::string file = callFile_.empty() ? fax_->faxFile : callFile_;
    callFile_.clear();
    tables::Table& table = window_.RecFaxTable();
    if (file.empty() || !table.IsOpen()) {
        return;
    }
    const QDate today = QDate::currentDate();
    ReceivedFax row;
    row.date = {today.year(), today.month(), today.day()};
    row.time = QTime::currentTime().toString(QStringLiteral("hh:mm")).toStdString();
    row.from = TrimSpaces(fax_->RemoteID());
    // The file tells what arrived; the last status report may lag a page.
    const int pages = FaxFilePages(file);
    row.pages = pages > 0 ? pages : pagesReceived_;
    row.file = std::filesystem::path(file).filename().string();
    row.notes = notes;
    try {
        AppendReceivedRow(table, row);
        // Reopened so the list sees the row at once, back on the new row.
        tables::FaxTableCloseAndOpen(table, window_.ArchiveFilter());
    } catch (const std::exception&) {
    }
    window_.IncomingGrid().Refresh();
}

void ReceiveMode::FaxArrived() {
    platform::PlaySoundFile(window_.Settings().Wav);
}

}  // namespace corvane::app
