#include "dialog_port.h"

#include "app/com_ports.h"
#include "app/program_directory.h"
#include "platform/fax_port.h"
#include "platform/open_port_reporting.h"
#include "port_access.h"

namespace corvane::sendui {

DialogPort::DialogPort() = default;

DialogPort::~DialogPort() {
    Close();
}

void DialogPort::SetTraceFiles(std::string traceFile, std::string logFile) {
    traceFile_ = std::move(traceFile);
    logFile_ = std::move(logFile);
}

int DialogPort::Open() {
    Close();
    // The port of an earlier opening goes only now: its finish may have
    // been reported from inside its own event processing.
    opened_.reset();
    engine::PortSettings settings;
    settings.comNumber = comNumber_;
    std::unique_ptr<platform::FaxPort> port =
        deviceOverride_.empty() ? app::MakeComPort(app::SettingsPath(), settings)
                                : platform::MakeFaxPort(deviceOverride_, settings);
    device_ = port->Device();
    engine::ComPort& com = port->Port();
    com.Trace().SetFileName(traceFile_);
    com.Log().SetFileName(logFile_);
    if (tracing_ && !traceFile_.empty()) {
        com.Trace().SetState(engine::TraceLogState::tlOn);
        com.Log().SetState(engine::TraceLogState::tlOn);
    }
    const int code = port->Open();
    if (code == 0)
        opened_ = std::move(port);
    return code;
}

bool DialogPort::OpenReporting(QString& message) {
    message.clear();
    const int code = Open();
    if (code == 0)
        return true;
    message = QString::fromStdString(platform::OpenFailureMessage(code, comNumber_));
    if (IsAccessDenied(code, device_))
        message += QStringLiteral("\r\r") + AccessDeniedAdvice();
    return false;
}

bool DialogPort::IsOpen() const {
    return opened_ && opened_->Port().IsOpen();
}

void DialogPort::Close() {
    if (IsOpen())
        opened_->Port().Close();
}

engine::ComPort* DialogPort::Port() const {
    return opened_ ? &opened_->Port() : nullptr;
}

const engine::Clock& DialogPort::Clock() const {
    return opened_->Clock();
}

engine::Platform& DialogPort::Platform() const {
    return opened_->Platform();
}

platform::FaxPort* DialogPort::Opened() const {
    return opened_.get();
}

}  // namespace corvane::sendui
