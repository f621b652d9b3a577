#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include "support/LogCapture.h"

namespace {

using meru::Settings;

struct Parsed {
    Settings settings;
    std::vector<std::string> files;
};

Parsed Parse(std::vector<std::string> args) {
    args.insert(args.begin(), "C:\\meru\\meru.exe");
    Parsed parsed;
    meru::ParseCommandLine(args, parsed.settings,
                           [&](const std::string& path) { parsed.files.push_back(path); });
    return parsed;
}

TEST(CommandLine, OptionsIgnoreCaseAndTheLastOfAPairWins) {
    EXPECT_TRUE(Parse({"-QUIET"}).settings.quietMode);
    EXPECT_FALSE(Parse({"-quiet", "-verbose"}).settings.quietMode);
    EXPECT_TRUE(Parse({"-verbose", "-Quiet"}).settings.quietMode);
    EXPECT_FALSE(Parse({"-log", "-NOLOG"}).settings.loggingEnabled);
    EXPECT_TRUE(Parse({"-nolog", "-log"}).settings.loggingEnabled);

    Parsed all = Parse({"-batteryok", "-MANIFEST", "-olderOK"});
    EXPECT_TRUE(all.settings.batteryOk);
    EXPECT_TRUE(all.settings.manifestRequested);
    EXPECT_TRUE(all.settings.olderOk);
    EXPECT_FALSE(all.settings.commandLineFiles);
    EXPECT_TRUE(all.files.empty());
}

TEST(CommandLine, AnythingElseIsAFileEvenWithADash) {
    Parsed parsed = Parse({"fw\\p.hex", "-quietly", "-", "card.pda"});
    EXPECT_TRUE(parsed.settings.commandLineFiles);
    EXPECT_EQ(parsed.files, (std::vector<std::string>{"fw\\p.hex", "-quietly", "-", "card.pda"}));
}

TEST(CommandLine, RepeatAndDelayTakeTheNextArgumentByAtoiRules) {
    Parsed parsed = Parse({"-repeat", "3", "-delay", "12abc", "x.hex"});
    EXPECT_TRUE(parsed.settings.repeat);
    EXPECT_EQ(parsed.settings.repeatCount, 3);
    EXPECT_TRUE(parsed.settings.delay);
    EXPECT_EQ(parsed.settings.delaySeconds, 12);
    EXPECT_EQ(parsed.files, std::vector<std::string>{"x.hex"});

    Parsed words = Parse({"-repeat", "many", "-delay", "-quiet"});
    EXPECT_EQ(words.settings.repeatCount, 0);
    EXPECT_EQ(words.settings.delaySeconds, 0);
    EXPECT_FALSE(words.settings.quietMode) << "the value argument is skipped, not read as an option";
}

TEST(CommandLine, RepeatOrDelayAsLastArgumentTakesZero) {
    Parsed repeat = Parse({"-quiet", "-repeat"});
    EXPECT_TRUE(repeat.settings.repeat);
    EXPECT_EQ(repeat.settings.repeatCount, 0);
    Parsed delay = Parse({"-delay"});
    EXPECT_TRUE(delay.settings.delay);
    EXPECT_EQ(delay.settings.delaySeconds, 0);
}

// The restore's file is its value, not a file for the update; without a
// value the restore is still asked for (and refused), never an update.
TEST(CommandLine, RestorePdaTakesTheNextArgument) {
    Parsed parsed = Parse({"-quiet", "-RestorePDA", "c:\\pda-1.pda", "s.hex"});
    EXPECT_TRUE(parsed.settings.restorePda);
    EXPECT_EQ(parsed.settings.restorePdaPath, "c:\\pda-1.pda");
    EXPECT_EQ(parsed.files, std::vector<std::string>{"s.hex"});
    Parsed last = Parse({"-quiet", "-restorepda"});
    EXPECT_TRUE(last.settings.restorePda);
    EXPECT_EQ(last.settings.restorePdaPath, "");

    std::vector<std::string> readded;
    Settings settings;
    meru::ReaddFileArguments({"meru.exe", "-restorepda", "b.pda", "s.hex"}, settings,
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
    meru::ParseCommandLine(args, meru::TheSettings(), [](const std::string&) {});
    EXPECT_EQ(log.Text(), "");

    meru::TheSettings().loggingEnabled = true;
    log.Reset();
    std::vector<std::string> later{"meru.exe", "-debug", "-nolog"};
    meru::ParseCommandLine(later, meru::TheSettings(), [](const std::string&) {});
    meru::LogPrintf("after\n");
    EXPECT_EQ(log.Text(), "Command Line:meru.exe -debug -nolog \nVersion 0.6.7 (Jan  2 2002)\n");
}

TEST(CommandLine, ReaddEntersOnlyArgumentsNotStartingWithADash) {
    std::vector<std::string> args{"meru.exe", "-quiet", "-repeat", "p.hex", "s.hex",
                                  "-delay",   "1",      "-odd",    "c.pda", "-delay"};
    Settings settings;
    std::vector<std::string> files;
    meru::ReaddFileArguments(args, settings, [&](const std::string& path) { files.push_back(path); });
    EXPECT_EQ(files, (std::vector<std::string>{"s.hex", "c.pda"}));
    EXPECT_TRUE(settings.commandLineFiles);

    Settings none;
    meru::ReaddFileArguments({"meru.exe", "-quiet"}, none, [](const std::string&) {});
    EXPECT_FALSE(none.commandLineFiles);
}

}  // namespace
