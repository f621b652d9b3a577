#include "CommandLineScan.h"

#include <gtest/gtest.h>

namespace {

using kestrel::HostCommand;
using kestrel::ScanCommandLine;

TEST(CommandLineScan, CommandsAfterDashOrSlashInAnyCase) {
    EXPECT_EQ(ScanCommandLine("\"C:\\Program Files\\Kestrel\\Kestrelsvc.exe\" /RegServer"), HostCommand::RegServer);
    EXPECT_EQ(ScanCommandLine("Kestrelsvc.exe -regserver"), HostCommand::RegServer);
    EXPECT_EQ(ScanCommandLine("Kestrelsvc.exe /UNREGSERVER"), HostCommand::UnregServer);
    EXPECT_EQ(ScanCommandLine("Kestrelsvc.exe -unRegServer"), HostCommand::UnregServer);
    EXPECT_EQ(ScanCommandLine("Kestrelsvc.exe -Service"), HostCommand::Service);
    EXPECT_EQ(ScanCommandLine("Kestrelsvc.exe /sErViCe"), HostCommand::Service);
    // Without separating blank: the rest after the character is what counts.
    EXPECT_EQ(ScanCommandLine("Kestrelsvc.exe/Service"), HostCommand::Service);
}

TEST(CommandLineScan, TheRestOfTheLineMustBeTheCommandAlone) {
    EXPECT_EQ(ScanCommandLine("Kestrelsvc.exe /RegServer extra"), HostCommand::Run);
    EXPECT_EQ(ScanCommandLine("Kestrelsvc.exe /RegServer "), HostCommand::Run);
    EXPECT_EQ(ScanCommandLine("Kestrelsvc.exe /RegServe"), HostCommand::Run);
    EXPECT_EQ(ScanCommandLine("Kestrelsvc.exe RegServer"), HostCommand::Run);
    EXPECT_EQ(ScanCommandLine("Kestrelsvc.exe -Embedding"), HostCommand::Run);
    EXPECT_EQ(ScanCommandLine("Kestrelsvc.exe"), HostCommand::Run);
    EXPECT_EQ(ScanCommandLine(""), HostCommand::Run);
    EXPECT_EQ(ScanCommandLine("-"), HostCommand::Run);
}

TEST(CommandLineScan, ScanGoesOnAfterCharactersThatStartNoCommand) {
    // Dashes and slashes in the program's path are passed over.
    EXPECT_EQ(ScanCommandLine("C:/kestrel-svc/Kestrelsvc.exe -Service"), HostCommand::Service);
    // The last command stands alone; a command inside the text is not one.
    EXPECT_EQ(ScanCommandLine("Kestrelsvc.exe /Service /RegServer"), HostCommand::RegServer);
    EXPECT_EQ(ScanCommandLine("Kestrelsvc.exe -x-UnregServer"), HostCommand::UnregServer);
    EXPECT_EQ(ScanCommandLine("Kestrelsvc.exe --RegServer"), HostCommand::RegServer);
}

}  // namespace
