// The simulated modem and telephone line the programs offer as device
// "sim": a class 1, 2 and 2.0 modem whose calls reach a fresh fax machine
// at every number but the reserved ones, and calling machines that send
// the modem a fax, on demand or every so often. Runs in the scheduler's
// time; the desktop keeps that time in step with the wall clock.
#pragma once

#include <memory>
#include <vector>

#include "faxengine/scheduler.h"
#include "simmodem/class2_modem.h"
#include "simmodem/phone_network.h"
#include "simmodem/remote_fax.h"

namespace corvane::simmodem {

class DemoLine {
  public:
    // The simulated modem's own number, which the callers dial.
    static constexpr char kModemNumber[] = "5550199";

    explicit DemoLine(engine::Scheduler& scheduler);
    ~DemoLine();
    DemoLine(const DemoLine&) = delete;
    DemoLine& operator=(const DemoLine&) = delete;

    Class2Modem& Modem() { return modem_; }
    PhoneNetwork& Network() { return network_; }

    // A calling machine dials the modem now and sends config.pagesToSend.
    RemoteFax& PlaceCall(RemoteFaxConfig config);
    // Demo callers: the first one period from now, each next one period
    // after the previous call ended. Zero stops them.
    void CallEvery(engine::Micros period);

    // The machines that answered the modem's calls, and those that called
    // it, oldest first.
    const std::vector<std::unique_ptr<RemoteFax>>& Answerers() const { return answerers_; }
    const std::vector<std::unique_ptr<RemoteFax>>& Callers() const { return callers_; }

  private:
    void ScheduleDemoCall(unsigned generation);
    void WatchDemoCall(unsigned generation);

    engine::Scheduler& scheduler_;
    PhoneNetwork network_;
    Class2Modem modem_;
    std::vector<std::unique_ptr<RemoteFax>> answerers_;
    std::vector<std::unique_ptr<RemoteFax>> callers_;
    engine::Micros period_ = 0;
    unsigned generation_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace corvane::simmodem
