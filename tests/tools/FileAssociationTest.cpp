// System commands 17 and 18: the shell association of .hex and .pda files.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "ToolsRig.h"
#include "app/ResourceIds.h"
#include "tools/FileAssociation.h"

namespace {

using Access = meru::RegistryWriter::Access;
using toolstest::ToolsRig;

// Key -> default value ("(none)" for a key created without one).
using Entries = std::map<std::string, std::string>;

Entries Written(const toolstest::MemoryClassesRoot& root) {
    Entries entries;
    for (const auto& [key, entry] : root.keys) entries[key] = entry.hasValue ? entry.value : "(none)";
    return entries;
}

struct RegisterCase {
    const char* name;
    int command;
    std::string programPath;
    Entries entries;
};

TEST(RegisterFileType, EntriesOnWindows95) {
    const std::string open = "Launch &Tolvan";
    const RegisterCase cases[] = {
        {"hex: open verb only", IDM_REGISTER_HEX, "C:\\TOOLS\\UPD.EXE",
         {{".hex", "VELOX.hex"},
          {"VELOX.hex", "VELOX firmware update (.hex)"},
          {"VELOX.hex\\DefaultIcon", "C:\\TOOLS\\UPD.EXE,2"},
          {"VELOX.hex\\shell", "(none)"},
          {"VELOX.hex\\shell\\open", open},
          {"VELOX.hex\\shell\\open\\command", "C:\\TOOLS\\UPD.EXE \"%1\""}}},
        {"pda: open and edit verbs", IDM_REGISTER_PDA, "C:\\TOOLS\\UPD.EXE",
         {{".pda", "VELOX.pda"},
          {"VELOX.pda", "VELOX firmware update (.pda)"},
          {"VELOX.pda\\DefaultIcon", "C:\\TOOLS\\UPD.EXE,3"},
          {"VELOX.pda\\shell", "(none)"},
          {"VELOX.pda\\shell\\edit", "&Edit"},
          {"VELOX.pda\\shell\\edit\\command", "notepad \"%1\""},
          {"VELOX.pda\\shell\\open", open},
          {"VELOX.pda\\shell\\open\\command", "C:\\TOOLS\\UPD.EXE \"%1\""}}},
        // Unquoted, the shell would start C:\Program with the rest as arguments.
        {"program path with blanks", IDM_REGISTER_HEX, "C:\\Program Files\\Meru\\meru.exe",
         {{".hex", "VELOX.hex"},
          {"VELOX.hex", "VELOX firmware update (.hex)"},
          {"VELOX.hex\\DefaultIcon", "C:\\Program Files\\Meru\\meru.exe,2"},
          {"VELOX.hex\\shell", "(none)"},
          {"VELOX.hex\\shell\\open", open},
          {"VELOX.hex\\shell\\open\\command", "\"C:\\Program Files\\Meru\\meru.exe\" \"%1\""}}},
    };
    for (const RegisterCase& c : cases) {
        SCOPED_TRACE(c.name);
        ToolsRig rig(2, {}, c.programPath);
        meru::MainWindow& window = rig.StartWithTools();
        rig.library.SetOs(sim::kWindows9x);

        EXPECT_TRUE(window.OnSystemCommand(c.command));
        EXPECT_EQ(Written(rig.classesRoot), c.entries);
        EXPECT_TRUE(rig.boxes.boxes.empty());
        EXPECT_EQ(rig.classesRoot.openKeys, 0) << "every key closed";
        EXPECT_EQ(rig.classesRoot.keys.begin()->second.access, Access::kFull) << "the extension key";
        for (const auto& [key, entry] : rig.classesRoot.keys) {
            if (key[0] != '.') {
                EXPECT_EQ(entry.access, Access::kWrite) << key;
            }
        }

        // Registering again sets the same values and creates no other key.
        const auto createdBefore = rig.classesRoot.keys.size();
        window.OnSystemCommand(c.command);
        EXPECT_EQ(Written(rig.classesRoot), c.entries);
        EXPECT_EQ(rig.classesRoot.keys.size(), createdBefore);
    }
}

TEST(RegisterFileType, NotImplementedOnNt) {
    for (int command : {IDM_REGISTER_HEX, IDM_REGISTER_PDA}) {
        ToolsRig rig;
        meru::MainWindow& window = rig.StartWithTools();
        EXPECT_TRUE(window.OnSystemCommand(command));
        EXPECT_EQ(rig.classesRoot.createCalls, 0);
        ASSERT_EQ(rig.boxes.boxes.size(), 1u);
        EXPECT_EQ(rig.boxes.boxes[0].text, "Not implemented for NT yet.");
        EXPECT_EQ(rig.boxes.boxes[0].caption, "Sorry");
        EXPECT_EQ(rig.boxes.boxes[0].type, meru::kBoxOk);
    }
}

// Registry failures are not reported; the keys after a refused one are written.
TEST(RegisterFileType, KeyThatCannotBeCreatedLeavesTheOthersWritten) {
    ToolsRig rig;
    rig.library.SetOs(sim::kWindows9x);
    rig.classesRoot.refuse = {"VELOX.pda\\shell\\edit"};
    EXPECT_TRUE(meru::RegisterFileType(rig.classesRoot, rig.library, "C:\\UPD.EXE", ".pda", 3, true));
    EXPECT_EQ(rig.classesRoot.keys.count("VELOX.pda\\shell\\edit"), 0u);
    EXPECT_EQ(rig.classesRoot.keys.at("VELOX.pda\\shell\\open\\command").value, "C:\\UPD.EXE \"%1\"");
    EXPECT_EQ(rig.classesRoot.openKeys, 0);
}

}  // namespace
