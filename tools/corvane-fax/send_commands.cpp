// The send command: one send session on a modem, each status change
// printed as a line. "--device sim" sends through the in-process simulated
// modem and line, in virtual time: every number reaches a remote fax
// machine that keeps what it received, except the reserved numbers that
// answer busy, not at all or with a voice. Any other device is a serial
// port driven by the Qt event loop.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "command_registry.h"
#include "faxengine/engine_codes.h"
#include "faxengine/fax_components.h"
#include "faxengine/fax_exceptions.h"
#include "faxengine/fax_progress.h"
#include "faxengine/scheduler.h"
#include "faxengine/sim_port.h"
#include "faximage/fax_errors.h"
#include "session_cli.h"
#include "simmodem/apf_pages.h"
#include "simmodem/demo_line.h"

namespace corvane::cli {
namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kUsage = 2;

constexpr const char* kSendUsage =
    "send --device PATH|sim [--sim-dir DIR] --number N [--class auto|1|2|2.0] [--bps 9600] "
    "[--cover FILE] [--header TEXT] [--station ID] [--attempts 3] [--retry-wait 60] "
    "[--dial-wait 60] [--prefix P] [--init STR] [--pulse] [--blind] [--trace FILE] FILE.apf";

struct SendOptions {
    std::string device;
    std::string simDir = ".";
    std::string number;
    engine::FaxClass faxClass = engine::FaxClass::fcDetect;
    std::uint16_t bps = 9600;
    std::string cover;
    std::string header;
    std::string station;
    std::uint16_t attempts = 3;
    std::uint32_t retryWait = 60;
    std::uint32_t dialWait = 60;
    std::string prefix;
    std::string init;
    bool pulse = false;
    bool blind = false;
    std::string trace;
    std::string file;
};

std::optional<SendOptions> ParseSend(const Arguments& args) {
    SendOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        const auto value = [&]() -> const std::string& { return args[++i]; };
        const auto count = [&](unsigned long max) {
            return hasValue ? CountArgument(value(), max) : std::nullopt;
        };
        if (a == "--pulse") {
            o.pulse = true;
        } else if (a == "--blind") {
            o.blind = true;
        } else if (!a.starts_with("--")) {
            if (!o.file.empty())
                return std::nullopt;
            o.file = a;
        } else if (!hasValue) {
            return std::nullopt;
        } else if (a == "--device") {
            o.device = value();
        } else if (a == "--sim-dir") {
            o.simDir = value();
        } else if (a == "--number") {
            o.number = value();
        } else if (a == "--cover") {
            o.cover = value();
        } else if (a == "--header") {
            o.header = value();
        } else if (a == "--station") {
            o.station = value();
        } else if (a == "--prefix") {
            o.prefix = value();
        } else if (a == "--init") {
            o.init = value();
        } else if (a == "--trace") {
            o.trace = value();
        } else if (a == "--class") {
            const auto c = FaxClassArgument(value());
            if (!c)
                return std::nullopt;
            o.faxClass = *c;
        } else if (a == "--bps") {
            const auto v = count(14400);
            if (!v || *v < 2400)
                return std::nullopt;
            o.bps = static_cast<std::uint16_t>(*v);
        } else if (a == "--attempts") {
            const auto v = count(65535);
            if (!v)
                return std::nullopt;
            o.attempts = static_cast<std::uint16_t>(*v);
        } else if (a == "--retry-wait" || a == "--dial-wait") {
            const auto v = count(65535);
            if (!v)
                return std::nullopt;
            (a == "--retry-wait" ? o.retryWait : o.dialWait) = static_cast<std::uint32_t>(*v);
        } else {
            return std::nullopt;
        }
    }
    if (o.device.empty() || o.number.empty() || (o.file.empty() && o.cover.empty())) {
        return std::nullopt;
    }
    return o;
}

// Prints a status line whenever what it shows changed.
class StatusPrinter {
  public:
    void Show(const engine::CvSendFax& fax) {
        const std::string text = std::string(engine::ProgressText(fax.FaxProgress())) + "; page " +
                                 std::to_string(fax.CurrentPage()) + "; " +
                                 std::to_string(fax.BytesTransferred()) + " bytes";
        if (text != last_) {
            std::printf("%s\n", text.c_str());
            std::fflush(stdout);
            last_ = text;
        }
    }

  private:
    std::string last_;
};

void Configure(engine::CvSendFax& fax, const SendOptions& o) {
    fax.faxClass = o.faxClass;
    fax.desiredBPS = o.bps;
    fax.phoneNumber = o.number;
    fax.faxFile = o.file;
    fax.coverFile = o.cover;
    fax.headerLine = o.header;
    fax.stationID = o.station;
    fax.dialAttempts = o.attempts;
    fax.SetDialRetryWait(o.retryWait);
    fax.SetDialWait(o.dialWait);
    fax.dialPrefix = o.prefix;
    fax.modemInit = o.init;
    fax.toneDial = !o.pulse;
    fax.blindDial = o.blind;
}

// Runs the session; the finish code, or nothing when the start was refused.
template <class RunLoop>
int Send(engine::ComPort& port, const engine::Clock& clock, engine::Platform& platform,
         const SendOptions& o, RunLoop&& runUntilFinished) {
    if (!o.trace.empty()) {
        port.Trace().SetFileName(o.trace);
        port.Trace().SetState(engine::TraceLogState::tlOn);
    }
    engine::CvSendFax fax(clock, platform);
    fax.SetComPort(&port);
    Configure(fax, o);
    StatusPrinter printer;
    std::optional<int> finish;
    fax.onFaxStatus = [&](engine::CvCustomAbstractFax&, bool, bool) { printer.Show(fax); };
    fax.onFaxFinish = [&](engine::CvCustomAbstractFax&, int code) { finish = code; };
    try {
        fax.StartTransmit();
    } catch (const FaxError& error) {
        finish = error.code();
    }
    runUntilFinished([&] { return finish.has_value(); });
    port.Close();
    return finish.value_or(engine::ecTimeout);
}

int Report(int code) {
    if (code == 0) {
        std::printf("Fax sent successfully\n");
        return kSuccess;
    }
    std::printf("Fax was not sent. %s\n", ErrorText(code).c_str());
    return kFailure;
}

int SendThroughSimulator(const SendOptions& o) {
    std::error_code ec;
    std::filesystem::create_directories(o.simDir, ec);
    engine::Scheduler scheduler;
    simmodem::DemoLine line(scheduler);
    engine::SimComPort port(scheduler, line.Modem());
    port.Open();
    const int code = Send(port, scheduler, scheduler, o, [&](const std::function<bool()>& done) {
        scheduler.RunUntil(done, scheduler.Now() + engine::Seconds(24 * 3600));
        scheduler.RunFor(engine::Seconds(5));
    });
    if (line.Answerers().empty()) {
        return Report(code);
    }
    const simmodem::RemoteFax& remote = *line.Answerers().back();
    std::vector<simmodem::FaxPage> pages;
    for (const simmodem::ReceivedPage& page : remote.Pages()) {
        if (page.accepted)
            pages.push_back(page.page);
    }
    if (!pages.empty()) {
        const std::string path = (std::filesystem::path(o.simDir) / "RECEIVED.APF").string();
        if (const int written = simmodem::WriteApfPages(path, pages, remote.RemoteId());
            written != 0) {
            std::fprintf(stderr, "The received pages could not be stored: %s\n",
                         ErrorText(written).c_str());
        } else {
            std::printf("Remote stored %zu page(s) in %s\n", pages.size(), path.c_str());
        }
    }
    return Report(code);
}

int SendThroughDevice(const SendOptions& o) {
    return RunOnDevice(
        o.device,
        [&](engine::ComPort& port, const engine::Clock& clock, engine::Platform& platform,
            const RunLoop& loop) { return Report(Send(port, clock, platform, o, loop)); },
        [](int code) {
            std::printf("Fax was not sent. %s\n", ErrorText(code).c_str());
            return kFailure;
        });
}

int RunSend(const Arguments& args) {
    const std::optional<SendOptions> options = ParseSend(args);
    if (!options) {
        std::fprintf(stderr, "usage: corvane-fax %s\n", kSendUsage);
        return kUsage;
    }
    return options->device == "sim" ? SendThroughSimulator(*options) : SendThroughDevice(*options);
}

const CommandRegistration kSend({"send", kSendUsage, RunSend});

}  // namespace
}  // namespace corvane::cli
