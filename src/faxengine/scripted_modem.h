// A far end for unit tests that follows a script: each step expects one
// command (exact text or a regular expression over the whole command) and
// gives its replies, each after a delay in virtual time. Anything off the
// script is recorded as a failure text for the test to show.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "faxengine/sim_port.h"

namespace corvane::engine {

class ScriptedModem : public FarEndpoint {
  public:
    // A verbose reply line as modems send it: CR LF text CR LF.
    static std::string Line(const std::string& text) { return "\r\n" + text + "\r\n"; }

    ScriptedModem& Expect(std::string command);
    ScriptedModem& ExpectMatching(std::string pattern);
    // Adds a reply to the last expected command; the delay counts from the
    // previous reply, or from the end of the command for the first one.
    ScriptedModem& Reply(std::string bytes, Micros delay = Milliseconds(10));
    // Sends bytes unasked, the delay counted from now (after Attach).
    void SendAfter(std::string bytes, Micros delay);
    // Echo every received character back at once, as a modem with E1 does.
    void SetEcho(bool on) { echo_ = on; }
    void SetDCD(bool on) { line_->SetDCD(on); }
    void SetCTS(bool on) { line_->SetCTS(on); }

    bool Complete() const { return next_ == steps_.size(); }
    bool Clean() const { return failures_.empty(); }
    // Failures and, when steps remain, the first one still expected.
    std::string Report() const;
    const std::vector<std::string>& Commands() const { return commands_; }
    // DTR drops seen (a modem hangs up on each).
    int DtrDrops() const { return dtrDrops_; }

    void Attach(SimLine& line) override { line_ = &line; }
    void ReceiveFromComputer(std::uint8_t byte) override;
    void ControlLinesChanged(bool dtr, bool rts) override;

  private:
    struct TimedReply {
        std::string bytes;
        Micros delay;
    };
    struct Step {
        std::string command;
        bool pattern;
        std::vector<TimedReply> replies;
    };

    void CommandReceived(const std::string& command);
    bool Matches(const Step& step, const std::string& command) const;
    static std::string Describe(const Step& step);

    SimLine* line_ = nullptr;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    std::string pending_;
    bool echo_ = false;
    bool lastDtr_ = false;
    int dtrDrops_ = 0;
    std::vector<std::string> commands_;
    std::vector<std::string> failures_;
};

}  // namespace corvane::engine
