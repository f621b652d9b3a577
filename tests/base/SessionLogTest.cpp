#include "base/SessionLog.h"

#include <gtest/gtest.h>

#include "support/LogCapture.h"

namespace {

TEST(SessionLog, AppendsToAnExistingFileAndCountsCharacters) {
    testsupport::LogCapture log;
    testsupport::WriteWholeFile(log.Path(), "earlier session\n");
    meru::TheSessionLog().SetPath(log.Path());
    EXPECT_EQ(meru::LogPrintf("Adapter Enum=%s\n", "0001"), 18);
    EXPECT_EQ(log.Text(), "earlier session\nAdapter Enum=0001\n");
}

TEST(SessionLog, DisabledLoggingWritesNothingAndOpensNoFile) {
    testsupport::LogCapture log;
    meru::TheSessionLog().SetEnabled(false);
    EXPECT_EQ(meru::LogPrintf("hidden\n"), 0);
    EXPECT_FALSE(std::filesystem::exists(log.Path()));
}

TEST(SessionLog, AFileThatCannotBeOpenedStopsLoggingForGood) {
    testsupport::LogCapture log;
    testsupport::TempDir dir;
    std::string unreachable = dir.File("no-such-dir/flash.log");
    meru::TheSessionLog().SetPath(unreachable);
    EXPECT_EQ(meru::LogPrintf("lost\n"), 0);
    EXPECT_TRUE(meru::TheSessionLog().Failed());
    std::filesystem::create_directory(dir.File("no-such-dir"));
    EXPECT_EQ(meru::LogPrintf("still lost\n"), 0) << "no second attempt to open";
    EXPECT_FALSE(std::filesystem::exists(unreachable));
}

}  // namespace
