// The page-data pacing at the highest rate: the modem never runs dry on a
// dense page, and every coded line lasts the remote's minimum scan time.
#include <gtest/gtest.h>

#include "send_rig.h"

namespace corvane::integration {
namespace {

class ScanTime : public ::testing::TestWithParam<int> {};

TEST_P(ScanTime, EveryLineReachesTheMinimumWithoutUnderrun) {
    const int scanMs = GetParam();
    const std::string path = TempPath("scan" + std::to_string(scanMs) + ".apf");
    Lines mixed = DenseRaster(100);
    const Lines sparse = PageRaster(1, 300);
    mixed.insert(mixed.end(), sparse.begin(), sparse.end());
    WriteFax(path, {DenseRaster(200), mixed}, true);

    RemoteFaxConfig config;
    config.capabilities.scanFineMs = scanMs;
    config.capabilities.scanNormalMs = scanMs;
    SendRig rig(FaxClass::fcClass1, config);
    rig.fax.faxFile = path;
    rig.fax.desiredBPS = 14400;
    rig.fax.headerLine = "Page $P";

    ASSERT_EQ(rig.Run(), 0);
    EXPECT_EQ(rig.modem->Counters().underruns, 0);
    EXPECT_EQ(rig.modem->Counters().transmitOverflows, 0);
    ASSERT_EQ(rig.remote->Pages().size(), 2u);
    for (const ReceivedPage& page : rig.remote->Pages()) {
        EXPECT_EQ(page.modulation.bitsPerSecond, 14400);
        EXPECT_EQ(page.minLineBytes, static_cast<std::size_t>(scanMs * 14400 / 8000));
        EXPECT_EQ(page.scan.shortLines, 0);
        EXPECT_EQ(page.scan.BadLines(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(RemoteMinimums, ScanTime, ::testing::Values(0, 5, 10, 20, 40));

}  // namespace
}  // namespace corvane::integration
