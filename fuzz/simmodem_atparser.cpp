// The AT command parser, and a modem taking arbitrary bytes from its
// computer: whatever arrives, the parse is bounded, the modem never
// crashes and never queues more for the computer than its buffer holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "faxengine/sim_port.h"
#include "simmodem/at_parser.h"
#include "simmodem/class2_modem.h"
#include "simmodem/remote_fax.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto commands = simmodem::ParseAtCommandLine(text)) {
        if (commands->size() > size)
            std::abort();
    }

    engine::Scheduler scheduler;
    simmodem::PhoneNetwork network(scheduler);
    simmodem::RemoteFax remote(network, {});
    network.Assign("5", remote);
    simmodem::ModemConfig config;
    config.classes = {"1", "2", "2.0"};
    config.receiveBufferSize = 4096;
    simmodem::Class2Modem modem(network, config);
    network.Assign("7", modem);
    engine::SimComPort port(scheduler, modem);
    port.Open();
    // Typed in pieces, with time for the modem (and any call) between them.
    for (std::size_t pos = 0; pos < size; pos += 32) {
        const std::size_t n = std::min<std::size_t>(32, size - pos);
        port.PutBlock({data + pos, n});
        scheduler.RunFor(engine::Milliseconds(200));
        while (port.CharReady()) port.GetChar();
    }
    scheduler.RunFor(engine::Seconds(60));
    return 0;
}
