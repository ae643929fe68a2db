#include "faxengine/scripted_modem.h"

#include <regex>
#include <stdexcept>

namespace corvane::engine {

namespace {
// A command a modem takes without a carriage return after it.
constexpr const char* kEscape = "+++";
}  // namespace

ScriptedModem& ScriptedModem::Expect(std::string command) {
    steps_.push_back({std::move(command), false, {}});
    return *this;
}

ScriptedModem& ScriptedModem::ExpectMatching(std::string pattern) {
    std::regex{pattern};  // a bad pattern is the test's fault: fail at once
    steps_.push_back({std::move(pattern), true, {}});
    return *this;
}

ScriptedModem& ScriptedModem::Reply(std::string bytes, Micros delay) {
    if (steps_.empty()) {
        throw std::logic_error("ScriptedModem::Reply before any Expect");
    }
    steps_.back().replies.push_back({std::move(bytes), delay});
    return *this;
}

void ScriptedModem::SendAfter(std::string bytes, Micros delay) {
    if (line_ == nullptr) {
        throw std::logic_error("ScriptedModem::SendAfter before the modem is on a line");
    }
    SimLine* line = line_;
    line->scheduler().After(delay,
                            [line, bytes = std::move(bytes)] { line->SendToComputer(bytes); });
}

void ScriptedModem::ReceiveFromComputer(std::uint8_t byte) {
    if (echo_) {
        line_->SendToComputer(std::string(1, static_cast<char>(byte)));
    }
    if (byte == '\n') {
        return;
    }
    if (byte == '\r') {
        if (!pending_.empty()) {
            CommandReceived(pending_);
        }
        pending_.clear();
        return;
    }
    pending_ += static_cast<char>(byte);
    if (pending_ == kEscape) {
        CommandReceived(pending_);
        pending_.clear();
    }
}

void ScriptedModem::ControlLinesChanged(bool dtr, bool /*rts*/) {
    if (lastDtr_ && !dtr) {
        ++dtrDrops_;
    }
    lastDtr_ = dtr;
}

bool ScriptedModem::Matches(const Step& step, const std::string& command) const {
    return step.pattern ? std::regex_match(command, std::regex{step.command})
                        : command == step.command;
}

std::string ScriptedModem::Describe(const Step& step) {
    return step.pattern ? "a command matching /" + step.command + "/" : "\"" + step.command + "\"";
}

void ScriptedModem::CommandReceived(const std::string& command) {
    commands_.push_back(command);
    if (next_ >= steps_.size()) {
        failures_.push_back("command \"" + command + "\" after the end of the script");
        return;
    }
    const Step& step = steps_[next_];
    if (!Matches(step, command)) {
        failures_.push_back("unexpected command \"" + command + "\" at step " +
                            std::to_string(next_ + 1) + ", expected " + Describe(step));
        return;
    }
    ++next_;
    Micros delay = 0;
    for (const TimedReply& reply : step.replies) {
        delay += reply.delay;
        SendAfter(reply.bytes, delay);
    }
}

std::string ScriptedModem::Report() const {
    std::string report;
    for (const std::string& failure : failures_) {
        report += failure + "\n";
    }
    if (!Complete()) {
        report += "script stopped at step " + std::to_string(next_ + 1) + " of " +
                  std::to_string(steps_.size()) + ", still expecting " + Describe(steps_[next_]) +
                  "\n";
    }
    return report;
}

}  // namespace corvane::engine
