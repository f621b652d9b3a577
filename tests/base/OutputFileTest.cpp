// The updater's written files: whole bytes, an old file replaced, and a
// file that cannot be opened refusing every write.
#include <gtest/gtest.h>

#include <string>

#include "base/OutputFile.h"
#include "support/TempDir.h"

namespace {

TEST(OutputFile, WritesReplaceAnOldFileByteForByte) {
    testsupport::TempDir dir;
    const std::string path = dir.File("out.hex");
    testsupport::WriteWholeFile(path, "an older and longer file that must not show through");
    meru::OutputFile file(path);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_TRUE(file.Write("S0\r\n"));
    EXPECT_TRUE(file.Write(std::string("a\0b\n", 4)));  // binary: NUL and a bare LF kept
    EXPECT_EQ(testsupport::ReadWholeFile(path), std::string("S0\r\na\0b\n", 8));  // flushed at once
    EXPECT_TRUE(file.Close());
    EXPECT_FALSE(file.Close());
    EXPECT_FALSE(file.Write("more"));
}

TEST(OutputFile, AFileThatCannotBeOpenedRefusesEverything) {
    testsupport::TempDir dir;
    meru::OutputFile file(dir.File("no-such-folder/out.pda"));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.Write("0x0004\n"));
    EXPECT_FALSE(file.Close());
}

}  // namespace
