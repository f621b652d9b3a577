#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include "support/LogCapture.h"

namespace {

struct Parsed {
    meru::RunOptions options;
    std::vector<std::string> files;
};

// The options, and the files the window's initialisation enters (which
// must be the options' files, in their order).
Parsed Parse(std::vector<std::string> args) {
    args.insert(args.begin(), "C:\\meru\\meru.exe");
    Parsed parsed;
    parsed.options = meru::ParseCommandLine(args);
    meru::ApplyCommandLine(args, [&](const std::string& path) { parsed.files.push_back(path); });
    EXPECT_EQ(parsed.options.files, parsed.files);
    return parsed;
}

TEST(CommandLine, OptionsIgnoreCaseAndTheLastOfAPairWins) {
    EXPECT_TRUE(Parse({"-QUIET"}).options.quiet);
    EXPECT_FALSE(Parse({"-quiet", "-verbose"}).options.quiet);
    EXPECT_TRUE(Parse({"-verbose", "-Quiet"}).options.quiet);
    EXPECT_FALSE(Parse({"-log", "-NOLOG"}).options.logging);
    EXPECT_TRUE(Parse({"-nolog", "-log"}).options.logging);

    Parsed all = Parse({"-batteryok", "-MANIFEST", "-olderOK"});
    EXPECT_TRUE(all.options.batteryOk);
    EXPECT_TRUE(all.options.manifest);
    EXPECT_TRUE(all.options.olderOk);
    EXPECT_FALSE(all.options.commandLineFiles);
    EXPECT_TRUE(all.files.empty());
}

TEST(CommandLine, AnythingElseIsAFileEvenWithADash) {
    Parsed parsed = Parse({"fw\\p.hex", "-quietly", "-", "card.pda"});
    EXPECT_TRUE(parsed.options.commandLineFiles);
    EXPECT_EQ(parsed.files, (std::vector<std::string>{"fw\\p.hex", "-quietly", "-", "card.pda"}));
}

TEST(CommandLine, RepeatAndDelayTakeTheNextArgumentByAtoiRules) {
    Parsed parsed = Parse({"-repeat", "3", "-delay", "12abc", "x.hex"});
    EXPECT_TRUE(parsed.options.repeat);
    EXPECT_EQ(parsed.options.repeatCount, 3);
    EXPECT_TRUE(parsed.options.delay);
    EXPECT_EQ(parsed.options.delaySeconds, 12);
    EXPECT_EQ(parsed.files, std::vector<std::string>{"x.hex"});

    Parsed words = Parse({"-repeat", "many", "-delay", "-quiet"});
    EXPECT_EQ(words.options.repeatCount, 0);
    EXPECT_EQ(words.options.delaySeconds, 0);
    EXPECT_FALSE(words.options.quiet) << "the value argument is skipped, not read as an option";
}

TEST(CommandLine, RepeatOrDelayAsLastArgumentTakesZero) {
    Parsed repeat = Parse({"-quiet", "-repeat"});
    EXPECT_TRUE(repeat.options.repeat);
    EXPECT_EQ(repeat.options.repeatCount, 0);
    Parsed delay = Parse({"-delay"});
    EXPECT_TRUE(delay.options.delay);
    EXPECT_EQ(delay.options.delaySeconds, 0);
}

// The restore's file is its value, not a file for the update; without a
// value the restore is still asked for (and refused), never an update.
TEST(CommandLine, RestorePdaTakesTheNextArgument) {
    Parsed parsed = Parse({"-quiet", "-RestorePDA", "c:\\pda-1.pda", "s.hex"});
    EXPECT_TRUE(parsed.options.restorePda);
    EXPECT_EQ(parsed.options.restorePdaPath, "c:\\pda-1.pda");
    EXPECT_EQ(parsed.files, std::vector<std::string>{"s.hex"});
    Parsed last = Parse({"-quiet", "-restorepda"});
    EXPECT_TRUE(last.options.restorePda);
    EXPECT_EQ(last.options.restorePdaPath, "");

    std::vector<std::string> readded;
    meru::ReaddFileArguments({"meru.exe", "-restorepda", "b.pda", "s.hex"},
                             [&](const std::string& path) { readded.push_back(path); });
    EXPECT_EQ(readded, std::vector<std::string>{"s.hex"});
    EXPECT_TRUE(meru::RequestsPdaRestore({"meru.exe", "-quiet", "-RESTOREPDA", "b.pda"}));
    EXPECT_FALSE(meru::RequestsPdaRestore({"-restorepda"})) << "the program path is no option";
}

TEST(CommandLine, AtoiValue) {
    EXPECT_EQ(meru::AtoiValue("  42"), 42);
    EXPECT_EQ(meru::AtoiValue("-7x"), -7);
    EXPECT_EQ(meru::AtoiValue("+5"), 5);
    EXPECT_EQ(meru::AtoiValue(""), 0);
    EXPECT_EQ(meru::AtoiValue("x1"), 0);
    EXPECT_EQ(meru::AtoiValue("99999999999999999999"), 2147483647);
    EXPECT_EQ(meru::AtoiValue("-99999999999999999999"), -2147483647 - 1);
}

TEST(CommandLine, DebugWritesTheCommandLineAndVersion) {
    testsupport::LogCapture log;
    Parse({"-debug", "a.hex"});
    EXPECT_EQ(log.Text(),
              "Command Line:C:\\meru\\meru.exe -debug a.hex \n"
              "Version 0.6.7 (Jan  2 2002)\n");
}

TEST(CommandLine, NologBeforeDebugWritesNothingAfterItStopsLogging) {
    testsupport::LogCapture log;
    std::vector<std::string> args{"meru.exe", "-nolog", "-debug"};
    meru::ApplyCommandLine(args, [](const std::string&) {});
    EXPECT_EQ(log.Text(), "");

    meru::TheSessionLog().SetEnabled(true);
    log.Reset();
    std::vector<std::string> later{"meru.exe", "-debug", "-nolog"};
    meru::ApplyCommandLine(later, [](const std::string&) {});
    meru::LogPrintf("after\n");
    EXPECT_EQ(log.Text(), "Command Line:meru.exe -debug -nolog \nVersion 0.6.7 (Jan  2 2002)\n");
}

TEST(CommandLine, ReaddEntersOnlyArgumentsNotStartingWithADash) {
    std::vector<std::string> args{"meru.exe", "-quiet", "-repeat", "p.hex", "s.hex",
                                  "-delay",   "1",      "-odd",    "c.pda", "-delay"};
    std::vector<std::string> files;
    const bool any = meru::ReaddFileArguments(args, [&](const std::string& path) { files.push_back(path); });
    EXPECT_EQ(files, (std::vector<std::string>{"s.hex", "c.pda"}));
    EXPECT_TRUE(any);

    EXPECT_FALSE(meru::ReaddFileArguments({"meru.exe", "-quiet"}, [](const std::string&) {}));
}

}  // namespace
