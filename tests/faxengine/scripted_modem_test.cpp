#include "faxengine/scripted_modem.h"

#include <gtest/gtest.h>

namespace corvane::engine {
namespace {

class ScriptedModemTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(port.Open(), 0); }
    std::string ReadAll() {
        std::string text;
        while (port.CharReady()) {
            text += static_cast<char>(port.GetChar());
        }
        return text;
    }
    Scheduler scheduler;
    ScriptedModem modem;
    SimComPort port{scheduler, modem};
};

TEST_F(ScriptedModemTest, FollowsTheScriptWithTimedReplies) {
    modem.Expect("ATZ").Reply(ScriptedModem::Line("OK"), Milliseconds(200));
    modem.ExpectMatching("AT\\+FCLASS=[0-9.]+")
        .Reply(ScriptedModem::Line("OK"))
        .Reply(ScriptedModem::Line("RING"), Seconds(2));
    port.PutString("ATZ\r");
    scheduler.RunFor(Milliseconds(150));
    EXPECT_EQ(ReadAll(), "") << "the reply comes 200 ms after the command";
    scheduler.RunFor(Milliseconds(100));
    EXPECT_EQ(ReadAll(), "\r\nOK\r\n");

    port.PutString("AT+FCLASS=1\r");
    scheduler.RunFor(Seconds(1));
    EXPECT_EQ(ReadAll(), "\r\nOK\r\n");
    scheduler.RunFor(Seconds(2));
    EXPECT_EQ(ReadAll(), "\r\nRING\r\n");
    EXPECT_TRUE(modem.Complete());
    EXPECT_TRUE(modem.Clean()) << modem.Report();
}

TEST_F(ScriptedModemTest, EchoesWhenAskedAndTakesTheEscapeWithoutReturn) {
    modem.SetEcho(true);
    modem.Expect("+++").Reply(ScriptedModem::Line("OK"));
    port.PutString("+++");
    scheduler.RunFor(Milliseconds(100));
    EXPECT_EQ(ReadAll(), "+++\r\nOK\r\n");
    EXPECT_TRUE(modem.Complete());
}

TEST_F(ScriptedModemTest, ReportsCommandsOffTheScript) {
    modem.Expect("ATE0").Reply(ScriptedModem::Line("OK"));
    modem.Expect("AT+FCLASS=?");
    port.PutString("ATE1\r");
    scheduler.RunFor(Milliseconds(100));
    EXPECT_EQ(ReadAll(), "") << "an unexpected command gets no reply";
    port.PutString("ATE0\r");
    scheduler.RunFor(Milliseconds(100));
    EXPECT_FALSE(modem.Clean());
    EXPECT_FALSE(modem.Complete());
    EXPECT_EQ(modem.Report(),
              "unexpected command \"ATE1\" at step 1, expected \"ATE0\"\n"
              "script stopped at step 2 of 2, still expecting \"AT+FCLASS=?\"\n");
    port.PutString("AT+FCLASS=?\rATH\r");
    scheduler.RunFor(Milliseconds(100));
    EXPECT_NE(modem.Report().find("command \"ATH\" after the end of the script"),
              std::string::npos);
}

}  // namespace
}  // namespace corvane::engine
