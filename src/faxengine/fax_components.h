// The fax session components: what the program sees of a send session
// (and, later, a receive session). A component owns its session records
// and machine, turns the session's owner messages into virtual calls and
// events, and drives an optional status display and history log.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "faxengine/fax_class.h"
#include "faxengine/fax_progress.h"
#include "faxengine/fax_session.h"
#include "faxengine/session_driver.h"

namespace corvane::engine {

class CvCustomAbstractFax;
class CvFaxLog;
class SendMachine;

// Base of a status display the session drives.
class CvAbstractFaxStatus {
  public:
    virtual ~CvAbstractFaxStatus() = default;
    virtual void CreateDisplay() = 0;
    virtual void DestroyDisplay() = 0;
    virtual void UpdateDisplay(bool first, bool last) = 0;

    CvCustomAbstractFax* fax = nullptr;
    bool visible = true;
};

class CvCustomAbstractFax : public SessionOwner {
  public:
    CvCustomAbstractFax(const Clock& clock, Platform& platform);
    ~CvCustomAbstractFax() override;
    CvCustomAbstractFax(const CvCustomAbstractFax&) = delete;
    CvCustomAbstractFax& operator=(const CvCustomAbstractFax&) = delete;

    // Events: the component that raised them comes first.
    std::function<void(CvCustomAbstractFax&, bool first, bool last)> onFaxStatus;
    std::function<void(CvCustomAbstractFax&, FaxLogCode)> onFaxLog;
    std::function<void(CvCustomAbstractFax&, int errorCode)> onFaxError;
    std::function<void(CvCustomAbstractFax&, int errorCode)> onFaxFinish;

    virtual void HandleStatus(bool first, bool last);
    virtual void HandleLog(int logCode);
    virtual void HandleError(int errorCode);
    virtual void HandleFinish(int errorCode);

    // No port raises PortNotAssigned, an output buffer below 8192 bytes
    // OutputBufferTooSmall; otherwise the session is bound to the port.
    void CheckPort();
    // Bits 4, 8 and 16 for class 1, 2 and 2.0; cached while a session runs.
    unsigned SupportedFaxClasses();
    void CancelFax();
    bool Running() const;

    ComPort* ComPortAssigned() const { return port_; }
    // Ignored while a session runs on the current port.
    void SetComPort(ComPort* port);
    void SetStatusDisplay(CvAbstractFaxStatus* display);
    void SetFaxLog(CvFaxLog* log);
    CvAbstractFaxStatus* StatusDisplay() const { return statusDisplay_; }
    CvFaxLog* FaxLog() const { return faxLog_; }

    // Published properties.
    std::uint32_t initBaud = 0;
    std::uint32_t normalBaud = 0;
    FaxClass faxClass = FaxClass::fcUnknown;
    std::string modemInit;
    std::string stationID;
    std::string faxFile;
    bool abortNoConnect = false;
    bool exitOnError = false;
    bool softwareFlow = false;
    std::uint16_t statusInterval = 1;
    std::uint16_t desiredBPS = 9600;
    bool desiredECM = false;
    std::string faxFileExt = "APF";

    // Read live from the session.
    int FaxProgress() const;
    int FaxErrorCode() const;
    std::string RemoteID() const;
    std::uint32_t SessionBPS() const;
    bool SessionResolution() const;
    bool SessionWidth() const;
    bool SessionECM() const;
    std::uint16_t HangupCode() const;
    virtual int TotalPages() const = 0;
    virtual int CurrentPage() const = 0;
    virtual std::int32_t BytesTransferred() const = 0;
    virtual std::int32_t PageLength() const = 0;

  protected:
    virtual std::unique_ptr<SessionDriver> CreateMachine(FaxSession& session) = 0;
    // The session's next-fax question: true when a fax was supplied.
    virtual bool NextFaxMessage() { return false; }
    // The receive session's questions: a name for its file (set into
    // faxFile) and whether to take the call.
    virtual void FileNameMessage() {}
    virtual bool AcceptMessage() { return true; }
    // Copies the properties into the session before a start.
    virtual void ApplySettings();

    FaxSession* session() const { return session_.get(); }
    SessionDriver* machine() const { return machine_.get(); }

  private:
    std::optional<std::uint32_t> Deliver(OwnerMessage message, std::uint32_t wParam,
                                         const OwnerReply& reply) override;
    void Finished(std::int32_t faxErrorCode) override;

    const Clock& clock_;
    Platform& platform_;
    ComPort* port_ = nullptr;
    CvAbstractFaxStatus* statusDisplay_ = nullptr;
    CvFaxLog* faxLog_ = nullptr;
    std::unique_ptr<FaxSession> session_;
    std::unique_ptr<SessionDriver> machine_;
    unsigned classMask_ = 0;
};

using CvAbstractFax = CvCustomAbstractFax;

class CvCustomSendFax : public CvAbstractFax {
  public:
    CvCustomSendFax(const Clock& clock, Platform& platform);

    std::function<void(CvCustomSendFax&, std::string& phoneNumber, std::string& faxFile,
                       std::string& coverFile)>
        onFaxNext;

    // Fills the next fax of the batch; an empty number ends it.
    virtual void HandleNextFax(std::string& phoneNumber, std::string& faxFile,
                               std::string& coverFile);

    void StartTransmit();

    bool blindDial = false;
    bool detectBusy = true;
    bool toneDial = true;
    std::string dialPrefix;
    std::uint16_t dialAttempts = 3;
    std::uint16_t maxSendCount = 50;
    std::uint16_t bufferMinimum = 1000;
    std::string headerLine;
    std::string coverFile;
    std::string phoneNumber;
    std::string headerSender;
    std::string headerRecipient;
    std::string headerTitle;

    // Seconds, kept in ticks.
    void SetDialWait(std::uint32_t seconds) { dialWaitTicks_ = SecondsToTicks(seconds); }
    std::uint32_t DialWait() const { return TicksToSeconds(dialWaitTicks_); }
    void SetDialRetryWait(std::uint32_t seconds) { dialRetryWaitTicks_ = SecondsToTicks(seconds); }
    std::uint32_t DialRetryWait() const { return TicksToSeconds(dialRetryWaitTicks_); }
    std::uint16_t DialAttempt() const;

    int TotalPages() const override;
    int CurrentPage() const override;
    std::int32_t BytesTransferred() const override;
    std::int32_t PageLength() const override;

  protected:
    std::unique_ptr<SessionDriver> CreateMachine(FaxSession& session) override;
    bool NextFaxMessage() override;
    void ApplySettings() override;

  private:
    SendMachine* sendMachine() const;

    std::uint32_t dialWaitTicks_ = SecondsToTicks(60);
    std::uint32_t dialRetryWaitTicks_ = SecondsToTicks(60);
    bool nextFaxTaken_ = false;
};

using CvSendFax = CvCustomSendFax;

}  // namespace corvane::engine
