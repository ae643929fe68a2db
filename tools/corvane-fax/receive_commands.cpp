// The receive command: waits for calls on a modem and stores each fax in
// a numbered file of the chosen directory, printing status lines and one
// line per received fax. "--device sim --sim-call FILE" lets an
// in-process calling machine send FILE through a simulated modem.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "command_registry.h"
#include "faxengine/cv_receive_fax.h"
#include "faxengine/engine_codes.h"
#include "faxengine/fax_exceptions.h"
#include "faxengine/fax_progress.h"
#include "faxengine/scheduler.h"
#include "faxengine/sim_port.h"
#include "faximage/apf_file.h"
#include "faximage/fax_errors.h"
#include "session_cli.h"
#include "simmodem/apf_pages.h"
#include "simmodem/demo_line.h"

namespace corvane::cli {
namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kUsage = 2;

constexpr const char* kReceiveUsage =
    "receive --device PATH|sim [--sim-call FILE.apf] [--class auto|1|2|2.0] [--ring 1] "
    "[--station ID] [--bps 9600] [--dir DIR] [--once] [--trace FILE]";

struct ReceiveOptions {
    std::string device;
    std::string simCall;
    engine::FaxClass faxClass = engine::FaxClass::fcDetect;
    std::uint16_t ring = 1;
    std::string station;
    std::uint16_t bps = 9600;
    std::string dir = ".";
    bool once = false;
    std::string trace;
};

std::optional<ReceiveOptions> ParseReceive(const Arguments& args) {
    ReceiveOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--once") {
            o.once = true;
            continue;
        }
        if (i + 1 >= args.size())
            return std::nullopt;
        const std::string& v = args[++i];
        if (a == "--device") {
            o.device = v;
        } else if (a == "--sim-call") {
            o.simCall = v;
        } else if (a == "--station") {
            o.station = v;
        } else if (a == "--dir") {
            o.dir = v;
        } else if (a == "--trace") {
            o.trace = v;
        } else if (a == "--class") {
            const auto c = FaxClassArgument(v);
            if (!c)
                return std::nullopt;
            o.faxClass = *c;
        } else if (a == "--ring") {
            const auto n = CountArgument(v, 255);
            if (!n || *n == 0)
                return std::nullopt;
            o.ring = static_cast<std::uint16_t>(*n);
        } else if (a == "--bps") {
            const auto n = CountArgument(v, 14400);
            if (!n || *n < 2400)
                return std::nullopt;
            o.bps = static_cast<std::uint16_t>(*n);
        } else {
            return std::nullopt;
        }
    }
    if (o.device.empty() || (!o.simCall.empty() && o.device != "sim") ||
        (o.device == "sim" && o.simCall.empty())) {
        return std::nullopt;
    }
    return o;
}

std::string TrimmedID(std::string id) {
    while (!id.empty() && id.back() == ' ') id.pop_back();
    return id;
}

// One session on a port: status lines, a line per fax, and the outcome.
class Receiver {
  public:
    Receiver(engine::ComPort& port, const engine::Clock& clock, engine::Platform& platform,
             const ReceiveOptions& o)
        : fax_(clock, platform) {
        if (!o.trace.empty()) {
            port.Trace().SetFileName(o.trace);
            port.Trace().SetState(engine::TraceLogState::tlOn);
        }
        fax_.SetComPort(&port);
        fax_.faxClass = o.faxClass;
        fax_.answerOnRing = o.ring;
        fax_.stationID = o.station;
        fax_.desiredBPS = o.bps;
        fax_.destinationDir = o.dir;
        fax_.oneFax = o.once;
        fax_.exitOnError = o.once;
        fax_.onFaxStatus = [this](engine::CvCustomAbstractFax&, bool, bool) { ShowStatus(); };
        fax_.onFaxLog = [this](engine::CvCustomAbstractFax& f, engine::FaxLogCode code) {
            Logged(f, code);
        };
        fax_.onFaxError = [](engine::CvCustomAbstractFax&, int code) {
            std::printf("Error: %s\n", ErrorText(code).c_str());
            std::fflush(stdout);
        };
        fax_.onFaxFinish = [this](engine::CvCustomAbstractFax&, int code) { finish_ = code; };
    }

    // A start refused by the component counts as its finish.
    void Start() {
        try {
            fax_.StartReceive();
        } catch (const FaxError& error) {
            finish_ = error.code();
        }
    }
    void Cancel() { fax_.CancelFax(); }
    bool Finished() const { return finish_.has_value(); }
    int FaxesReceived() const { return received_; }
    int FailedCalls() const { return failed_; }
    int FinishCode() const { return finish_.value_or(0); }

  private:
    void ShowStatus() {
        const std::string text = std::string(engine::ProgressText(fax_.FaxProgress())) + "; page " +
                                 std::to_string(fax_.CurrentPage()) + "; " +
                                 std::to_string(fax_.BytesTransferred()) + " bytes";
        if (text != lastStatus_) {
            std::printf("%s\n", text.c_str());
            std::fflush(stdout);
            lastStatus_ = text;
        }
    }

    void Logged(engine::CvCustomAbstractFax& f, engine::FaxLogCode code) {
        if (code == engine::FaxLogCode::lcReceiveStart) {
            file_ = f.faxFile;
        } else if (code == engine::FaxLogCode::lcReceiveOK) {
            faximage::ApfFileHeader header;
            const int pages = faximage::ReadApfHeader(file_, header) == 0 ? header.pageCount : 0;
            std::printf("Received %s pages=%d from=\"%s\"\n", file_.c_str(), pages,
                        TrimmedID(f.RemoteID()).c_str());
            std::fflush(stdout);
            ++received_;
        } else if (code == engine::FaxLogCode::lcReceiveFail) {
            ++failed_;
        }
    }

    engine::CvReceiveFax fax_;
    std::optional<int> finish_;
    std::string file_;
    std::string lastStatus_;
    int received_ = 0;
    int failed_ = 0;
};

int Outcome(const Receiver& receiver) {
    if (receiver.FaxesReceived() > 0 && receiver.FailedCalls() == 0)
        return kSuccess;
    if (receiver.FinishCode() != 0 && receiver.FinishCode() != engine::ecCancelRequested)
        std::printf("Receiving ended. %s\n", ErrorText(receiver.FinishCode()).c_str());
    return kFailure;
}

int ReceiveThroughSimulator(const ReceiveOptions& o) {
    std::vector<simmodem::FaxPage> pages;
    if (const int read = simmodem::ReadApfPages(o.simCall, pages); read != 0) {
        std::fprintf(stderr, "%s: %s\n", o.simCall.c_str(), ErrorText(read).c_str());
        return kFailure;
    }
    engine::Scheduler scheduler;
    simmodem::DemoLine line(scheduler);
    simmodem::RemoteFaxConfig callerConfig;
    callerConfig.pagesToSend = std::move(pages);
    engine::SimComPort port(scheduler, line.Modem());
    port.Open();
    Receiver receiver(port, scheduler, scheduler, o);
    receiver.Start();
    scheduler.RunFor(engine::Seconds(5));
    if (!receiver.Finished()) {
        const simmodem::RemoteFax& caller = line.PlaceCall(std::move(callerConfig));
        scheduler.RunUntil([&] { return caller.Finished() || receiver.Finished(); },
                           scheduler.Now() + engine::Seconds(3600));
        // The receiver ends its call after the caller; then it waits again.
        scheduler.RunUntil([&] { return receiver.Finished(); },
                           scheduler.Now() + engine::Seconds(60));
    }
    if (!receiver.Finished()) {
        receiver.Cancel();
        scheduler.RunUntil([&] { return receiver.Finished(); },
                           scheduler.Now() + engine::Seconds(60));
    }
    port.Close();
    return Outcome(receiver);
}

int ReceiveThroughDevice(const ReceiveOptions& o) {
    return RunOnDevice(
        o.device,
        [&](engine::ComPort& port, const engine::Clock& clock, engine::Platform& platform,
            const RunLoop& loop) {
            Receiver receiver(port, clock, platform, o);
            receiver.Start();
            loop([&] { return receiver.Finished(); });
            port.Close();
            return Outcome(receiver);
        },
        [](int code) {
            std::printf("Receiving ended. %s\n", ErrorText(code).c_str());
            return kFailure;
        });
}

int RunReceive(const Arguments& args) {
    const std::optional<ReceiveOptions> options = ParseReceive(args);
    if (!options) {
        std::fprintf(stderr, "usage: corvane-fax %s\n", kReceiveUsage);
        return kUsage;
    }
    std::error_code error;
    std::filesystem::create_directories(options->dir, error);
    return options->device == "sim" ? ReceiveThroughSimulator(*options)
                                    : ReceiveThroughDevice(*options);
}

const CommandRegistration kReceive({"receive", kReceiveUsage, RunReceive});

}  // namespace
}  // namespace corvane::cli
