// How a session reaches the component that owns it. Messages other than
// the finish are sent with wait: the driver calls the owner directly and
// takes its answer, or, when the owner answers later, waits at most one
// second for it; an owner that never answers counts as answering 0.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

namespace corvane::engine {

enum class OwnerMessage : std::uint32_t {
    NextFax = 0x7EA1,
    Status = 0x7EA2,
    Log = 0x7EA3,
    FileName = 0x7EA4,
    Accept = 0x7EA5,
    Error = 0x7EA6,
    Finish = 0x7EA7,
};

inline constexpr std::uint32_t kMsgAbortRequest = 0x7EA0;

// wParam of the status message.
inline constexpr std::uint32_t kStatusNeither = 0;
inline constexpr std::uint32_t kStatusFirst = 1;
inline constexpr std::uint32_t kStatusLast = 2;

// The answer to one message; an answer given after the wait is over is lost.
class OwnerReply {
  public:
    OwnerReply() : slot_(std::make_shared<std::optional<std::uint32_t>>()) {}
    void Answer(std::uint32_t value) const { *slot_ = value; }
    const std::optional<std::uint32_t>& Value() const { return *slot_; }

  private:
    std::shared_ptr<std::optional<std::uint32_t>> slot_;
};

class SessionOwner {
  public:
    virtual ~SessionOwner() = default;
    // Returns the answer, or nothing when it comes later through reply (or never).
    virtual std::optional<std::uint32_t> Deliver(OwnerMessage message, std::uint32_t wParam,
                                                 const OwnerReply& reply) = 0;
    // The finish, posted: it runs after the machine has returned.
    virtual void Finished(std::int32_t faxErrorCode) = 0;
};

}  // namespace corvane::engine
