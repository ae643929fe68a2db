// An independent fax stack on the far end of the computer's serial line:
// spandsp's T.31 class 1 modem, its modulated line carried sample for sample
// to spandsp's T.30 fax terminal, driven by the scheduler in 20 ms steps of
// 160 samples. The engine talks AT to the T.31 side as to a real modem, and
// the terminal sends or receives TIFF files as a real fax machine would.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "faxengine/scheduler.h"
#include "faxengine/sim_port.h"

namespace corvane::testpeer {

struct SpandspConfig {
    bool calling = false;  // the terminal calls and sends; else it answers and receives
    std::string ident = "SPANDSP";
    std::string sendFile;     // calling: TIFF pages to send
    std::string receiveFile;  // answering: where the received pages go
    bool v17 = true;
    bool ecm = false;             // offers error correction
    bool twoDimensional = false;  // offers 2-D coding
    bool fine = true;             // offers fine resolution
    bool wide = false;            // offers 2048-pixel lines
    // The terminal's line goes dead this long after this page began.
    std::optional<int> hangUpInPage;
    engine::Micros hangUpAfter = engine::Seconds(4);
};

class SpandspFarEnd : public engine::FarEndpoint {
  public:
    SpandspFarEnd(engine::Scheduler& scheduler, SpandspConfig config);
    ~SpandspFarEnd() override;

    // engine::FarEndpoint
    void Attach(engine::SimLine& line) override;
    void ReceiveFromComputer(std::uint8_t byte) override;

    // A calling terminal rings the modem now, every 6 s until answered.
    void Call();

    // The terminal reached its end of call (phase E) or its line went dead.
    bool Finished() const;
    // The terminal's completion code (T30_ERR_OK is 0); -1 before the end.
    int CompletionCode() const;
    std::string CompletionText() const;
    int PagesTransferred() const;
    // The identifier the terminal received from our engine.
    std::string RemoteIdent() const;
    int BitRate() const;
    // Virtual time from the connection to the end of the call.
    engine::Micros LineTime() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace corvane::testpeer
