// Random modem output through the reply collector and the reply text
// functions: no crash, no read past a buffer, the reply buffer bounded.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "faxengine/modem_control.h"
#include "faxengine/modem_text.h"
#include "faxengine/scripted_modem.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corvane::engine;
    Scheduler scheduler;
    ScriptedModem far;  // nothing is sent to it
    SimComPort port(scheduler, far);
    ModemControl control(port, scheduler, scheduler);
    control.classCommands = size % 2 == 0 ? &kClass2Commands : &kClass20Commands;
    control.ResetResponse();
    for (std::size_t i = 0; i < size; ++i) {
        const auto collected = control.CollectResponse(data[i]);
        const std::string& buffer = control.ResponseBuffer();
        if (buffer.size() > ModemControl::kMaxResponse) {
            std::abort();
        }
        if (collected == ModemControl::Collected::Line) {
            StripTag(buffer);
            CleanID(buffer);
            ParseHangupCode(buffer);
            control.ReplyHangup();
            control.ClearResponseBuffer();
        }
    }
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (StripTag(text).size() > ModemControl::kMaxResponse) {
        std::abort();
    }
    CleanID(text);
    ParseHangupCode(text);
    NormalizeModemInit(text);
    return 0;
}
