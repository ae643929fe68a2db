// A session machine as a table of states: each state has its name (for
// the log), its kind and one handler, and a reply state its timeout rule.
// The state enum's values index the table.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "faxengine/session_driver.h"

namespace corvane::engine {

template <class Machine>
struct StateSpec {
    std::string_view name;
    StateKind kind;
    void (Machine::*handler)(const SessionEvent& event);
    void (Machine::*timeout)();  // reply states only; nullptr elsewhere
};

template <class Machine, class State, std::size_t N>
class StateMachine : public SessionDriver {
  public:
    using Table = std::array<StateSpec<Machine>, N>;

    State state() const { return state_; }

  protected:
    StateMachine(FaxSession& session, SessionOwner& owner, const Table& table, State stopped,
                 State failure)
        : SessionDriver(session, owner), table_(table), state_(stopped), failure_(failure) {}

    void SetState(State next) {
        if (next != state_) {
            session().port.Log().Note(
                session().clock.MilliSeconds(),
                std::string(Spec().name) + " -> " + std::string(table_[Index(next)].name));
        }
        state_ = next;
    }

  private:
    static std::size_t Index(State s) { return static_cast<std::size_t>(s); }
    const StateSpec<Machine>& Spec() const { return table_[Index(state_)]; }
    Machine& self() { return static_cast<Machine&>(*this); }

    std::string_view StateName() const override { return Spec().name; }
    StateKind Kind() const override { return Spec().kind; }
    bool InFailureState() const override { return state_ == failure_; }
    void EnterFailureState() override { SetState(failure_); }
    void RunState(const SessionEvent& event) override { (self().*Spec().handler)(event); }
    void RunTimeout() override {
        if (Spec().timeout != nullptr) {
            (self().*Spec().timeout)();
        }
    }

    const Table& table_;
    State state_;
    State failure_;
};

}  // namespace corvane::engine
