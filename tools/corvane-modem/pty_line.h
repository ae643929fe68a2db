// A simulated modem's serial side on a pseudo-terminal: what the modem
// sends goes to the pty master, what a program writes to the slave (found
// through a symlink) reaches the modem. A pty has no modem-status lines;
// the slave being open stands for DTR.
#pragma once

#include <cstdint>
#include <string>

#include "faxengine/sim_port.h"

namespace corvane::modemtool {

class PtyLine : public engine::SimLine {
  public:
    PtyLine(engine::Scheduler& scheduler, engine::FarEndpoint& modem);
    ~PtyLine() override;
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    // Opens the pty and puts the symlink at link. False with error set on failure.
    bool Open(const std::string& link, std::string& error);
    // Moves bytes both ways without blocking; call often.
    void Service();
    bool ProgramAttached() const { return attached_; }
    int MasterFd() const { return master_; }
    const std::string& Link() const { return link_; }

    // SimLine
    void SendToComputer(std::string_view bytes) override;
    void SetDCD(bool) override {}
    // The modem's buffer is full: stop reading, so the kernel's pty buffer
    // fills and the program's writes wait, as CTS would make them.
    void SetCTS(bool on) override { clearToSend_ = on; }
    bool DTR() const override { return attached_; }
    bool RTS() const override { return output_.size() < kHoldOffBytes; }
    engine::Scheduler& scheduler() override { return scheduler_; }

  private:
    static constexpr std::size_t kHoldOffBytes = 16384;
    // Read in small steps so the modem can hold off before its buffer overflows.
    static constexpr std::size_t kReadStep = 256;
    static constexpr std::uint32_t kPtyBaud = 921600;

    void Flush();

    engine::Scheduler& scheduler_;
    engine::FarEndpoint& modem_;
    int master_ = -1;
    std::string link_;
    std::string output_;
    bool attached_ = false;
    bool clearToSend_ = true;
};

}  // namespace corvane::modemtool
