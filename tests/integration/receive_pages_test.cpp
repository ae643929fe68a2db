// Whole receptions: a calling machine sends pages over each class and the
// received file holds the same pixels, flags, count and station id.
#include <gtest/gtest.h>

#include "receive_rig.h"

namespace corvane::integration {
namespace {

struct MatrixCase {
    FaxClass faxClass;
    int bps;
    bool fine;
    int width;
};

std::string Name(const ::testing::TestParamInfo<MatrixCase>& info) {
    const MatrixCase& c = info.param;
    const char* cls = c.faxClass == FaxClass::fcClass1   ? "Class1"
                      : c.faxClass == FaxClass::fcClass2 ? "Class2"
                                                         : "Class20";
    return std::string(cls) + "_" + std::to_string(c.bps) + (c.fine ? "_fine_" : "_std_") +
           std::to_string(c.width);
}

class ReceiveMatrix : public ::testing::TestWithParam<MatrixCase> {};

TEST_P(ReceiveMatrix, FileHoldsThePagesSent) {
    const MatrixCase c = GetParam();
    RemoteFaxConfig caller;
    caller.stationId = "+1 555 0100";
    caller.maxBitsPerSecond = c.bps;
    caller.pagesToSend = TestPages(3, c.fine, c.width);
    ReceiveRig rig(c.faxClass, Name({c, 0}), caller);
    rig.fax.desiredBPS = 14400;
    rig.Start();
    rig.Call();

    EXPECT_TRUE(rig.caller->Succeeded()) << rig.caller->FailureReason();
    EXPECT_EQ(rig.caller->Violations(), std::vector<std::string>{});
    EXPECT_EQ(rig.errors, std::vector<int>{});
    EXPECT_EQ(rig.logCodes, (std::vector<int>{4, 5}));
    ASSERT_EQ(rig.files.size(), 1u);
    EXPECT_EQ(rig.files[0], rig.dir + "/FAX0001.APF");
    ExpectSamePages(rig.files[0], caller.pagesToSend);
    faximage::ApfFileHeader header;
    ASSERT_EQ(faximage::ReadApfHeader(rig.files[0], header), 0);
    EXPECT_EQ(header.pageCount, 3);
    EXPECT_EQ(header.StationId(), "+1 555 0100         ");
    EXPECT_EQ(rig.fax.SessionBPS(), static_cast<std::uint32_t>(c.bps));
    EXPECT_EQ(rig.fax.SessionResolution(), c.fine);
    EXPECT_TRUE(rig.finishes.empty()) << "a receive session keeps waiting for calls";
}

std::vector<MatrixCase> Matrix() {
    std::vector<MatrixCase> cases;
    for (FaxClass cls : {FaxClass::fcClass1, FaxClass::fcClass2, FaxClass::fcClass2_0}) {
        for (int bps : {2400, 9600, 14400}) {
            cases.push_back({cls, bps, bps == 9600, faximage::kStandardLineWidth});
        }
        cases.push_back({cls, 7200, true, faximage::kWideLineWidth});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Classes, ReceiveMatrix, ::testing::ValuesIn(Matrix()), Name);

}  // namespace
}  // namespace corvane::integration
