#include "ModuleFiles.h"

#include <gtest/gtest.h>

namespace {

TEST(ModuleFiles, DirectoryDropsTheClosingSeparatorExceptAtARoot) {
    EXPECT_EQ(kestrel::DescribeModule("C:\\Program Files\\Kestrel\\Kestrelsvc.exe", "").directory,
              "C:\\Program Files\\Kestrel");
    EXPECT_EQ(kestrel::DescribeModule("C:/Kestrel/Kestrelsvc.exe", "").directory, "C:/Kestrel");
    EXPECT_EQ(kestrel::DescribeModule("C:\\Kestrelsvc.exe", "").directory, "C:\\");
    EXPECT_EQ(kestrel::DescribeModule("\\Kestrelsvc.exe", "").directory, "\\");
    EXPECT_EQ(kestrel::DescribeModule("Kestrelsvc.exe", "").directory, "");
}

TEST(ModuleFiles, FullPathStandsInForAMissingShortForm) {
    const kestrel::ModuleFiles shortened =
        kestrel::DescribeModule("C:\\Program Files\\Kestrelsvc.exe", "C:\\PROGRA~1\\KESTRE~1.EXE");
    EXPECT_EQ(shortened.fullPath, "C:\\Program Files\\Kestrelsvc.exe");
    EXPECT_EQ(shortened.shortPath, "C:\\PROGRA~1\\KESTRE~1.EXE");
    EXPECT_EQ(kestrel::DescribeModule("C:\\Program Files\\Kestrelsvc.exe", "").shortPath,
              "C:\\Program Files\\Kestrelsvc.exe");
}

TEST(ModuleFiles, TypeLibraryBesideReplacesOnlyTheFileExtension) {
    EXPECT_EQ(kestrel::TypeLibraryBeside("C:\\Kestrel\\Kestrelsvc.exe"), "C:\\Kestrel\\Kestrelsvc.tlb");
    EXPECT_EQ(kestrel::TypeLibraryBeside("C:\\Kestrel.d\\Kestrelsvc"), "C:\\Kestrel.d\\Kestrelsvc.tlb");
    EXPECT_EQ(kestrel::TypeLibraryBeside("C:/a.b/Kestrelsvc"), "C:/a.b/Kestrelsvc.tlb");
}

}  // namespace
