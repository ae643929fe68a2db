#include <gtest/gtest.h>

#include <string>

#include "faxengine/fax_exceptions.h"
#include "faxengine/fax_progress.h"

namespace corvane::engine {
namespace {

template <class Error>
void ExpectRaisedAs(int code, const char* text) {
    try {
        RaiseFaxError(code);
        ADD_FAILURE() << code << " raised nothing";
    } catch (const FaxError& error) {
        EXPECT_NE(dynamic_cast<const Error*>(&error), nullptr) << code << " raised the wrong class";
        EXPECT_EQ(error.code(), code);
        EXPECT_EQ(std::string(error.what()), text) << code;
    }
}

TEST(FaxCodesTest, EachCodeRaisesItsOwnClass) {
    ExpectRaisedAs<FaxBadFormat>(-8001, "File is not an APF file");
    ExpectRaisedAs<FaxBadMachine>(-8070, "Fax incompatible with remote fax");
    ExpectRaisedAs<FaxBadModemResult>(-8071, "Bad response from modem");
    ExpectRaisedAs<FaxNoCarrier>(-8078, "Failed to connect to remote fax");
    ExpectRaisedAs<FaxPageError>(-8080, "Fax failed at page end");
    ExpectRaisedAs<ProtocolError>(-6006, "Fatal time out");
    ExpectRaisedAs<NoMoreTriggers>(-5001, "No more trigger slots");
    ExpectRaisedAs<OutputBufferTooSmall>(-3006, "Output buffer too small for block");
    ExpectRaisedAs<PortNotAssigned>(-1005, "ComPort component not assigned");
    ExpectRaisedAs<CannotUseWithWinSock>(-1009, "Component not compatible with WinSock");
    // Codes without a class of their own still carry code and text.
    ExpectRaisedAs<FaxError>(-6005, "Cancel requested");
}

TEST(FaxCodesTest, ProgressTexts) {
    const std::pair<int, const char*> cases[] = {
        {1, "Initializing modem for fax processing"},
        {3, "Busy, waiting until redial..."},
        {28, "Got Class 2 FHNG code"},
        {41, "Got called-station ID"},
        {42, "User abort"},
        {43, "Finished"},
        {0, ""},
        {8, ""},
        {44, ""},
        {-1, ""},
    };
    for (const auto& [code, text] : cases) {
        EXPECT_EQ(ProgressText(code), text) << code;
    }
    EXPECT_EQ(LogCodeName(static_cast<int>(FaxLogCode::lcReceiveSkip)), "lcReceiveSkip");
    EXPECT_EQ(LogCodeName(8), "");
}

}  // namespace
}  // namespace corvane::engine
