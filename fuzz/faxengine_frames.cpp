// Random modem output through the frame collector, the frame parser and
// the class 2 report decoder: no crash, no read past a buffer, and every
// decoded parameter inside its table.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "faxengine/modem_text.h"
#include "faxengine/scripted_modem.h"
#include "faxengine/session_parameters.h"
#include "faxengine/t30_frames.h"

namespace {

void CheckBounds(const corvane::engine::SessionParameters& params) {
    using namespace corvane::engine;
    if (params.rateIndex < 0 || params.rateIndex > kRateCount || params.scanCode < 0 ||
        params.scanCode >= kScanCodeCount || params.modulationCode.size() > 3 ||
        params.minLineBytes > 40 * 14400 / 8000) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corvane::engine;
    Scheduler scheduler;
    ScriptedModem far;  // nothing is sent to it
    SimComPort port(scheduler, far);
    FaxSession session(port, scheduler, scheduler);
    session.modem.pageHeader.pageFlags = static_cast<std::uint16_t>(size % 4);  // fine, wide
    session.modem.params.localRates = {false, true, true, true, true, true, true};
    session.modem.control.ResetResponse();
    for (std::size_t i = 0; i < size; ++i) {
        if (session.modem.control.CollectResponse(data[i]) == ModemControl::Collected::Frame) {
            const ParsedFrame parsed = ParseFrame(session);
            if (session.data.remoteID.size() > kIDFieldLength) {
                std::abort();
            }
            CheckBounds(session.modem.params);
            if (parsed.result != 0) {
                session.modem.control.ResetResponse();
            }
            FallBack(session.modem.params);
            CheckBounds(session.modem.params);
        }
    }
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    DecodeClass2Report(session.modem.params, StripTag(text));
    CheckBounds(session.modem.params);
    return 0;
}
