// The port's trace (every byte in and out) and dispatch log (every event
// handed to the event procedure, plus the engine's notes). Both record
// into a bounded buffer and reach their files only when dumped or
// appended, which closing the port does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace corvane::engine {

enum class TraceLogState { tlOff, tlOn, tlDump, tlAppend, tlClear, tlPause };

// The states a recorder rests in are tlOff, tlOn and tlPause; the others
// are actions. Switching on from off starts a fresh buffer; switching on
// from a pause continues it. Dumping or appending a recorder that is off
// only leaves it off.
class Recorder {
  public:
    explicit Recorder(std::size_t capacity) : capacity_(capacity) {}
    virtual ~Recorder() = default;

    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string name) { fileName_ = std::move(name); }
    TraceLogState State() const { return state_; }
    bool Recording() const { return state_ == TraceLogState::tlOn; }

    // 0, or the negated system code when the file cannot be written.
    int SetState(TraceLogState state);
    // What closing the port does: a running or paused recorder is dumped.
    int WriteOnClose();
    // The buffer as it would be written.
    virtual std::string Render() const = 0;

  protected:
    std::size_t Capacity() const { return capacity_; }
    virtual void Clear() = 0;

  private:
    int Write(bool append);

    std::size_t capacity_;
    std::string fileName_;
    TraceLogState state_ = TraceLogState::tlOff;
};

class PortTrace : public Recorder {
  public:
    explicit PortTrace(std::size_t capacity = 32000) : Recorder(capacity) {}
    void Record(std::uint32_t milliseconds, bool outgoing, std::uint8_t byte);
    std::string Render() const override;

  private:
    struct Entry {
        std::uint32_t milliseconds;
        bool outgoing;
        std::uint8_t byte;
    };
    void Clear() override { entries_.clear(); }
    std::deque<Entry> entries_;
};

class DispatchLog : public Recorder {
  public:
    explicit DispatchLog(std::size_t capacity = 4000) : Recorder(capacity) {}
    void RecordEvent(std::uint32_t milliseconds, std::uint32_t message, int handle);
    void Note(std::uint32_t milliseconds, std::string text);
    std::string Render() const override;

  private:
    struct Entry {
        std::uint32_t milliseconds;
        std::string text;
    };
    void Clear() override { entries_.clear(); }
    void Add(std::uint32_t milliseconds, std::string text);
    std::deque<Entry> entries_;
};

// "<CR>", "<DLE>", "A", "<9F>": how one byte reads in a trace.
std::string ReadableByte(std::uint8_t byte);

}  // namespace corvane::engine
