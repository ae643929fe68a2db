// corvane-modem: simulated fax modems on pseudo-terminals, with remote fax
// machines on numbers of the same simulated phone network.
#include <poll.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "options.h"
#include "pty_line.h"
#include "simmodem/apf_pages.h"
#include "simmodem/class2_modem.h"
#include "simmodem/remote_fax.h"

namespace {

using namespace corvane;
using namespace corvane::modemtool;

volatile sig_atomic_t stopRequested = 0;
void RequestStop(int) {
    stopRequested = 1;
}

void Log(const std::string& text) {
    std::fprintf(stderr, "corvane-modem: %s\n", text.c_str());
}

struct ModemOnPty {
    std::string number;
    std::unique_ptr<simmodem::Class2Modem> modem;
    std::unique_ptr<PtyLine> line;
};

// A remote machine on a number; a fresh one takes over after each call.
struct AnswerMachineSlot {
    AnswerMachine setting;
    std::vector<std::unique_ptr<simmodem::RemoteFax>>
        machines;  // earlier ones stay for late line events
    int stored = 0;
};

struct CallInSlot {
    CallIn setting;
    std::string number;
    std::vector<simmodem::FaxPage> pages;
    std::unique_ptr<simmodem::RemoteFax> machine;
    bool reported = false;
    std::optional<engine::Micros> dialAt;
};

std::string Describe(const simmodem::RemoteFax& machine) {
    return machine.Succeeded() ? "completed" : "failed (" + machine.FailureReason() + ")";
}

std::string ReceivedFileName(const std::string& directory, int count) {
    const std::time_t now = std::time(nullptr);
    char stamp[32] = "fax";
    if (const std::tm* local = std::localtime(&now))
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", local);
    return (std::filesystem::path(directory) /
            (std::string("fax-") + stamp + "-" + std::to_string(count) + ".apf"))
        .string();
}

void ServiceAnswerMachine(simmodem::PhoneNetwork& network, AnswerMachineSlot& slot) {
    simmodem::RemoteFax& current = *slot.machines.back();
    if (!current.Finished())
        return;
    std::vector<simmodem::FaxPage> pages;
    std::string lines;
    for (const simmodem::ReceivedPage& page : current.Pages()) {
        if (!page.accepted)
            continue;
        pages.push_back(page.page);
        lines += (lines.empty() ? "" : ", ") + std::to_string(page.scan.lines);
    }
    std::string line = "answer machine " + slot.setting.number + ": call from \"" +
                       current.RemoteId() + "\" " + Describe(current) + ", " +
                       std::to_string(pages.size()) + " pages" +
                       (lines.empty() ? "" : " (" + lines + " lines)");
    if (!pages.empty()) {
        const std::string path = ReceivedFileName(slot.setting.directory, ++slot.stored);
        const int code = simmodem::WriteApfPages(path, pages, current.RemoteId());
        line +=
            code == 0 ? " stored in " + path : " not stored (error " + std::to_string(code) + ")";
    }
    for (const std::string& violation : current.Violations())
        line += "\n  protocol fault: " + violation;
    Log(line);
    slot.machines.push_back(
        std::make_unique<simmodem::RemoteFax>(network, simmodem::RemoteFaxConfig{}));
    network.Assign(slot.setting.number, *slot.machines.back());
}

int Run(const Options& options) {
    engine::Scheduler scheduler;
    simmodem::PhoneNetwork network(scheduler);
    simmodem::ModemConfig config;
    config.classes = options.classes;
    if (!options.rates.empty())
        config.transmitRates = config.receiveRates = options.rates;

    std::vector<ModemOnPty> modems;
    for (const PtyModem& setting : options.modems) {
        ModemOnPty entry;
        entry.number = setting.number;
        entry.modem = std::make_unique<simmodem::Class2Modem>(network, config);
        entry.line = std::make_unique<PtyLine>(scheduler, *entry.modem);
        std::string error;
        if (!entry.line->Open(setting.link, error)) {
            Log(error);
            return 1;
        }
        const std::string label = setting.link + " (" + setting.number + ")";
        entry.modem->SetCallLog(
            [label](const std::string& event) { Log("modem " + label + ": " + event); });
        network.Assign(setting.number, *entry.modem);
        Log("modem " + label + " ready, classes " + [&] {
            std::string list;
            for (const std::string& name : options.classes)
                list += (list.empty() ? "" : ",") + name;
            return list;
        }());
        modems.push_back(std::move(entry));
    }
    std::vector<AnswerMachineSlot> answerMachines;
    for (const AnswerMachine& setting : options.answerMachines) {
        std::error_code ignored;
        std::filesystem::create_directories(setting.directory, ignored);
        AnswerMachineSlot slot{setting, {}, 0};
        slot.machines.push_back(
            std::make_unique<simmodem::RemoteFax>(network, simmodem::RemoteFaxConfig{}));
        network.Assign(setting.number, *slot.machines.back());
        answerMachines.push_back(std::move(slot));
    }
    std::vector<CallInSlot> callIns;
    for (const CallIn& setting : options.callIns) {
        CallInSlot slot;
        slot.setting = setting;
        for (const ModemOnPty& modem : modems) {
            if (modem.line->Link() == setting.link)
                slot.number = modem.number;
        }
        if (int code = simmodem::ReadApfPages(setting.file, slot.pages);
            code != 0 || slot.pages.empty()) {
            Log("cannot read " + setting.file + " (error " + std::to_string(code) + ")");
            return 1;
        }
        callIns.push_back(std::move(slot));
    }

    const auto wallStart = std::chrono::steady_clock::now();
    while (!stopRequested) {
        std::vector<pollfd> fds;
        for (const ModemOnPty& modem : modems) {
            // A pty without a program reports a hang-up at once: look at it on the next turn only.
            if (modem.line->ProgramAttached())
                fds.push_back({modem.line->MasterFd(), POLLIN, 0});
        }
        ::poll(fds.data(), fds.size(), 5);
        for (ModemOnPty& modem : modems) modem.line->Service();

        const auto elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
        scheduler.RunUntil([] { return false; },
                           static_cast<engine::Micros>(elapsed * options.speed * 1e6));

        for (AnswerMachineSlot& slot : answerMachines) ServiceAnswerMachine(network, slot);
        for (CallInSlot& slot : callIns) {
            if (!slot.machine) {
                bool attached = false;
                for (const ModemOnPty& modem : modems)
                    attached |= modem.number == slot.number && modem.line->ProgramAttached();
                // Ring once a program has the modem open, giving it time to get ready.
                if (attached && !slot.dialAt)
                    slot.dialAt = scheduler.Now() + engine::Seconds(3);
                if (slot.dialAt && scheduler.Now() >= *slot.dialAt) {
                    simmodem::RemoteFaxConfig config;
                    config.stationId = "5550199";
                    config.pagesToSend = slot.pages;
                    slot.machine = std::make_unique<simmodem::RemoteFax>(network, config);
                    slot.machine->Dial(slot.number);
                    Log("calling machine rings " + slot.setting.link + " (" + slot.number +
                        ") with " + std::to_string(slot.pages.size()) + " pages of " +
                        slot.setting.file);
                }
            } else if (!slot.reported && slot.machine->Finished()) {
                slot.reported = true;
                Log("calling machine to " + slot.number + ": " + Describe(*slot.machine) + ", " +
                    std::to_string(slot.machine->PagesSent()) + " of " +
                    std::to_string(slot.pages.size()) + " pages confirmed");
            }
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto options = ParseOptions(args, error);
    if (!options) {
        std::fprintf(stderr, "corvane-modem: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    if (options->help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    ::signal(SIGINT, RequestStop);
    ::signal(SIGTERM, RequestStop);
    ::signal(SIGPIPE, SIG_IGN);
    return Run(*options);
}
