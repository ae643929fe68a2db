#include "spandsp_far_end.h"

#include <array>
#include <cstdlib>
#include <memory>
#include <string_view>

// spandsp's headers want these before them.
#include <spandsp.h>
#include <tiffio.h>

namespace corvane::testpeer {

namespace {
constexpr int kBlockSamples = 160;  // 20 ms at 8000 samples per second
constexpr engine::Micros kBlockTime = engine::Milliseconds(20);
constexpr engine::Micros kRingEvery = engine::Seconds(6);
constexpr engine::Micros kAnswerDelay = engine::Seconds(3);
}  // namespace

struct SpandspFarEnd::State {
    State(engine::Scheduler& s, SpandspConfig c) : scheduler(s), config(std::move(c)) {}
    ~State() {
        if (fax != nullptr)
            fax_free(fax);
        if (t31 != nullptr)
            t31_free(t31);
    }

    engine::Scheduler& scheduler;
    SpandspConfig config;
    engine::SimLine* line = nullptr;
    t31_state_t* t31 = nullptr;
    fax_state_t* fax = nullptr;
    bool connected = false;
    bool dead = false;  // the far end's line went dead
    bool finished = false;
    int completion = -1;
    int pagesDone = 0;
    engine::Micros connectedAt = 0;
    engine::Micros finishedAt = 0;
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);

    void Tick() {
        std::array<std::int16_t, kBlockSamples> toTerminal{};
        std::array<std::int16_t, kBlockSamples> toModem{};
        t31_tx(t31, toTerminal.data(), kBlockSamples);
        if (fax != nullptr && connected && !dead) {
            fax_rx(fax, toTerminal.data(), kBlockSamples);
            fax_tx(fax, toModem.data(), kBlockSamples);
        }
        t31_rx(t31, toModem.data(), kBlockSamples);
        scheduler.After(kBlockTime, [this, alive = std::weak_ptr<bool>(alive)] {
            if (!alive.expired())
                Tick();
        });
    }

    void StartTerminal(bool calling) {
        fax = fax_init(nullptr, calling ? 1 : 0);
        fax_set_transmit_on_idle(fax, 1);
        t30_state_t* t30 = fax_get_t30_state(fax);
        t30_set_tx_ident(t30, config.ident.c_str());
        if (calling) {
            t30_set_tx_file(t30, config.sendFile.c_str(), -1, -1);
        } else {
            t30_set_rx_file(t30, config.receiveFile.c_str(), -1);
        }
        t30_set_supported_modems(
            t30, T30_SUPPORT_V27TER | T30_SUPPORT_V29 | (config.v17 ? T30_SUPPORT_V17 : 0));
        t30_set_ecm_capability(t30, config.ecm ? 1 : 0);
        t30_set_supported_compressions(
            t30, T30_SUPPORT_T4_1D_COMPRESSION |
                     (config.twoDimensional ? T30_SUPPORT_T4_2D_COMPRESSION : 0) |
                     (config.ecm ? T30_SUPPORT_T6_COMPRESSION : 0));
        t30_set_supported_resolutions(
            t30, T30_SUPPORT_STANDARD_RESOLUTION | (config.fine ? T30_SUPPORT_FINE_RESOLUTION : 0));
        t30_set_supported_image_sizes(
            t30, T30_SUPPORT_215MM_WIDTH | (config.wide ? T30_SUPPORT_255MM_WIDTH : 0) |
                     T30_SUPPORT_UNLIMITED_LENGTH | T30_SUPPORT_A4_LENGTH | T30_SUPPORT_B4_LENGTH |
                     T30_SUPPORT_US_LETTER_LENGTH | T30_SUPPORT_US_LEGAL_LENGTH);
        t30_set_phase_b_handler(t30, PhaseB, this);
        t30_set_phase_d_handler(t30, PhaseD, this);
        t30_set_phase_e_handler(t30, PhaseE, this);
        if (std::getenv("CORVANE_SPANDSP_LOG") != nullptr) {
            const int level = SPAN_LOG_SHOW_SEVERITY | SPAN_LOG_SHOW_PROTOCOL | SPAN_LOG_SHOW_TAG |
                              SPAN_LOG_SHOW_SAMPLE_TIME | SPAN_LOG_FLOW;
            span_log_set_level(fax_get_logging_state(fax), level);
            span_log_set_level(t30_get_logging_state(t30), level);
            span_log_set_level(t31_get_logging_state(t31), level);
        }
    }

    void Connected() {
        connected = true;
        connectedAt = scheduler.Now();
        ScheduleHangUp(0);
    }

    // The line goes dead in the configured page, counted from the
    // exchange that opens it.
    void ScheduleHangUp(int pagesBefore) {
        if (!config.hangUpInPage || *config.hangUpInPage != pagesBefore + 1)
            return;
        scheduler.After(config.hangUpAfter, [this, alive = std::weak_ptr<bool>(alive)] {
            if (alive.expired() || finished)
                return;
            dead = true;
            finished = true;
            finishedAt = scheduler.Now();
            t31_call_event(t31, AT_CALL_EVENT_HANGUP);
        });
    }

    static int AtOutput(at_state_t*, void* user, const std::uint8_t* bytes, std::size_t length) {
        auto* self = static_cast<State*>(user);
        if (self->line != nullptr)
            self->line->SendToComputer(
                std::string_view(reinterpret_cast<const char*>(bytes), length));
        return 0;
    }

    static int ModemControl(t31_state_t*, void* user, int op, const char* argument) {
        auto* self = static_cast<State*>(user);
        const bool on = reinterpret_cast<std::intptr_t>(argument) != 0;
        switch (op) {
            case AT_MODEM_CONTROL_CALL:
                // The number rings and the terminal answers a little later.
                self->scheduler.After(kAnswerDelay,
                                      [self, alive = std::weak_ptr<bool>(self->alive)] {
                                          if (alive.expired() || self->dead)
                                              return;
                                          self->StartTerminal(false);
                                          t31_call_event(self->t31, AT_CALL_EVENT_CONNECTED);
                                          self->Connected();
                                      });
                break;
            case AT_MODEM_CONTROL_ANSWER:
                t31_call_event(self->t31, AT_CALL_EVENT_ANSWERED);
                self->Connected();
                break;
            case AT_MODEM_CONTROL_CTS:
                if (self->line != nullptr)
                    self->line->SetCTS(on);
                break;
            case AT_MODEM_CONTROL_CAR:
                if (self->line != nullptr)
                    self->line->SetDCD(on);
                break;
            default:
                break;
        }
        return 0;
    }

    static int PhaseB(t30_state_t*, void*, int) { return T30_ERR_OK; }

    static int PhaseD(t30_state_t*, void* user, int) {
        auto* self = static_cast<State*>(user);
        self->ScheduleHangUp(++self->pagesDone);
        return T30_ERR_OK;
    }

    static void PhaseE(t30_state_t*, void* user, int code) {
        auto* self = static_cast<State*>(user);
        if (self->finished)
            return;
        self->finished = true;
        self->completion = code;
        self->finishedAt = self->scheduler.Now();
    }

    void Ring() {
        if (connected || dead)
            return;
        t31_call_event(t31, AT_CALL_EVENT_ALERTING);
        scheduler.After(kRingEvery, [this, alive = std::weak_ptr<bool>(alive)] {
            if (!alive.expired())
                Ring();
        });
    }
};

SpandspFarEnd::SpandspFarEnd(engine::Scheduler& scheduler, SpandspConfig config)
    : state_(std::make_unique<State>(scheduler, std::move(config))) {
    state_->t31 = t31_init(nullptr, State::AtOutput, state_.get(), State::ModemControl,
                           state_.get(), nullptr, nullptr);
    t31_set_transmit_on_idle(state_->t31, 1);
    state_->Tick();
}

SpandspFarEnd::~SpandspFarEnd() = default;

void SpandspFarEnd::Attach(engine::SimLine& line) {
    state_->line = &line;
}

void SpandspFarEnd::ReceiveFromComputer(std::uint8_t byte) {
    const char c = static_cast<char>(byte);
    t31_at_rx(state_->t31, &c, 1);
}

void SpandspFarEnd::Call() {
    state_->StartTerminal(true);
    state_->Ring();
}

bool SpandspFarEnd::Finished() const {
    return state_->finished;
}

int SpandspFarEnd::CompletionCode() const {
    return state_->completion;
}

std::string SpandspFarEnd::CompletionText() const {
    if (state_->dead)
        return "line went dead as configured";
    return state_->completion < 0 ? "not finished" : t30_completion_code_to_str(state_->completion);
}

int SpandspFarEnd::PagesTransferred() const {
    if (state_->fax == nullptr)
        return 0;
    t30_stats_t stats;
    t30_get_transfer_statistics(fax_get_t30_state(state_->fax), &stats);
    return state_->config.calling ? stats.pages_tx : stats.pages_rx;
}

std::string SpandspFarEnd::RemoteIdent() const {
    if (state_->fax == nullptr)
        return {};
    const char* ident = t30_get_rx_ident(fax_get_t30_state(state_->fax));
    return ident != nullptr ? ident : "";
}

int SpandspFarEnd::BitRate() const {
    if (state_->fax == nullptr)
        return 0;
    t30_stats_t stats;
    t30_get_transfer_statistics(fax_get_t30_state(state_->fax), &stats);
    return stats.bit_rate;
}

engine::Micros SpandspFarEnd::LineTime() const {
    return state_->finished ? state_->finishedAt - state_->connectedAt : 0;
}

}  // namespace corvane::testpeer
