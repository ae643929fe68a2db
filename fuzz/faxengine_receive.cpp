// Random modem output into a running receive session, in virtual time:
// set-up commands are answered OK, after that each command (and every
// two seconds of silence) brings the next piece of the input. No crash,
// no hang: the session always ends when cancelled, and every file it
// left is a valid fax whose page chain can be walked.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "faxengine/cv_receive_fax.h"
#include "faxengine/sim_port.h"
#include "faximage/apf_file.h"

namespace {

using namespace corvane::engine;

constexpr std::uint8_t kSeparator = 0xF0;
constexpr int kSetUpCommands = 8;

class FuzzModem : public FarEndpoint {
  public:
    FuzzModem(Scheduler& scheduler, const std::uint8_t* data, std::size_t size)
        : scheduler_(scheduler) {
        std::string piece;
        for (std::size_t i = 0; i < size; ++i) {
            if (data[i] == kSeparator) {
                pieces_.push_back(piece);
                piece.clear();
            } else {
                piece += static_cast<char>(data[i]);
            }
        }
        pieces_.push_back(piece);
    }

    void Attach(SimLine& line) override {
        line_ = &line;
        Tick();
    }
    void ReceiveFromComputer(std::uint8_t byte) override {
        if (byte != '\r')
            return;
        if (commands_++ < kSetUpCommands) {
            line_->SendToComputer("\r\nOK\r\n");
        } else {
            Next();
        }
    }
    bool Exhausted() const { return next_ >= pieces_.size(); }

  private:
    void Next() {
        if (!Exhausted())
            line_->SendToComputer(pieces_[next_++]);
    }
    void Tick() {
        scheduler_.After(Seconds(2), [this] {
            Next();
            if (!Exhausted())
                Tick();
        });
    }

    Scheduler& scheduler_;
    SimLine* line_ = nullptr;
    std::vector<std::string> pieces_;
    std::size_t next_ = 0;
    int commands_ = 0;
};

bool ValidFile(const std::string& path) {
    corvane::faximage::ApfFileHeader header;
    if (!corvane::faximage::IsApfFile(path) ||
        corvane::faximage::ReadApfHeader(path, header) != 0) {
        return false;
    }
    corvane::faximage::ApfPageHeader page;
    return corvane::faximage::LookupPageHeader(path, header.pageCount, page) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string dir = std::filesystem::temp_directory_path() /
                            ("corvane_fuzz_receive_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    {
        Scheduler scheduler;
        FuzzModem modem(scheduler, data + 1, size - 1);
        SimComPort port(scheduler, modem);
        port.Open();
        CvReceiveFax fax(scheduler, scheduler);
        fax.SetComPort(&port);
        fax.faxClass = data[0] % 3 == 0   ? FaxClass::fcClass1
                       : data[0] % 3 == 1 ? FaxClass::fcClass2
                                          : FaxClass::fcClass2_0;
        fax.destinationDir = dir;
        std::optional<int> finish;
        fax.onFaxFinish = [&](CvCustomAbstractFax&, int code) { finish = code; };
        fax.StartReceive();
        scheduler.RunUntil([&] { return modem.Exhausted(); }, scheduler.Now() + Seconds(3600));
        scheduler.RunFor(Seconds(30));
        if (!finish) {
            fax.CancelFax();
            scheduler.RunUntil([&] { return finish.has_value(); }, scheduler.Now() + Seconds(60));
        }
        if (!finish)
            std::abort();  // a session that never ends
        port.Close();
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (!ValidFile(entry.path().string()))
            std::abort();
    }
    std::filesystem::remove_all(dir);
    return 0;
}
