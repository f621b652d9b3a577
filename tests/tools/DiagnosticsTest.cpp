// The card diagnostics through the main window's commands, against the
// software card.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ToolsRig.h"
#include "app/ResourceIds.h"
#include "base/SessionLog.h"
#include "sim/CardProtocol.h"
#include "sim/FactoryCard.h"

namespace {

using toolstest::ToolsRig;

TEST(ShowFirmwareVersions, BoxWithVersionsAndNamesRangesInTheLog) {
    const std::string versions = "Primary: 1.1.1   Station: 1.3.1\n\n";
    const std::string names = "PK010101.HEX SK010301.HEX ";
    const std::string ranges =
        "\n\nPrimary Supplier Range=1..2\nModem Supplier Range=1..1\nController Supplier Range=1..1\n"
        "Station Supplier Range=1..1\nModem Actor Range=1..1\nController Actor Range=1..1\n\n";
    struct Case {
        const char* fault;
        bool logging;
        std::string box;
        std::string logged;  // "": no range line at all
    } cases[] = {
        {nullptr, true, versions + names, ranges},
        // An unread record shows a marker, not the previous record's values.
        {"rid-missing 0xFD0C", true, versions + names,
         "\n\nPrimary Supplier Range=1..2\nModem Supplier Range=(read failure)\nController Supplier Range=1..1\n"},
        {"rid-missing 0xFFFF", true, versions, ranges},
        {nullptr, false, versions + names, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault != nullptr ? c.fault : "no fault");
        ToolsRig rig;
        meru::MainWindow& window = rig.StartWithTools();
        std::string error;
        if (c.fault != nullptr) {
            ASSERT_TRUE(rig.card.AddFault(c.fault, error)) << error;
        }
        meru::TheSessionLog().SetEnabled(c.logging);
        rig.log.Reset();
        window.OnCommand(IDC_QUERY_FW_VERSION);
        ASSERT_EQ(rig.boxes.boxes.size(), 1u);
        EXPECT_EQ(rig.boxes.boxes[0].text, c.box);
        EXPECT_EQ(rig.boxes.boxes[0].caption, "Current Firmware Versions");
        EXPECT_EQ(rig.log.Text().find(c.logged.empty() ? "Range=" : c.logged) != std::string::npos, !c.logged.empty());
        EXPECT_FALSE(window.Adapter().IsOpen());
    }
}

TEST(Diagnostics, BoxesOfTheSmallerCommands) {
    struct Case {
        int command;
        uint16_t macType;
        const char* fault;
        const char* text;
        const char* caption;
    } cases[] = {
        {IDM_QUERY_DRIVER_VERSION, 2, nullptr, "Version: 7. 1. 3", "Driver Version for Selected Card"},
        {IDM_QUERY_DRIVER_VERSION, 2, "refuse 0x00010116 always", "Version: 0. 0. 0",
         "Driver Version for Selected Card"},
        // Opened without the driver check: a driver too old for updating is still shown, with bit 31.
        {IDM_QUERY_DRIVER_VERSION, 2, "driver-too-old", "Version: 32775. 1. 3", "Driver Version for Selected Card"},
        {IDM_SHOW_MAC_ID, 1, nullptr, "MAC ID: 0\n\n(Indicates MX100 MAC)", "MAC ID:"},
        {IDM_SHOW_MAC_ID, 2, nullptr, "MAC ID: 2\n\n(Indicates MX200-based MAC)", "MAC ID:"},
        {IDC_TEST_RID_FC0F, 2, nullptr, "VELOX 11 Mbit/s Wireless LAN PC Card", "OID_GEN_VENDOR_DESCRIPTION"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ToolsRig rig(c.macType);
        meru::MainWindow& window = rig.StartWithTools();
        std::string error;
        if (c.fault != nullptr) {
            ASSERT_TRUE(rig.card.AddFault(c.fault, error)) << error;
        }
        window.OnCommand(c.command);
        ASSERT_EQ(rig.boxes.boxes.size(), 1u);
        EXPECT_EQ(rig.boxes.boxes[0].text, c.text);
        EXPECT_EQ(rig.boxes.boxes[0].caption, c.caption);
        EXPECT_FALSE(window.Adapter().IsOpen());
    }
}

TEST(Diagnostics, ConcludeTestSendsOneRequestAndShowsTheWindow) {
    ToolsRig rig;
    meru::MainWindow& window = rig.StartWithTools();
    rig.view.windowShown = false;
    window.OnCommand(IDC_TEST_RID_FC01);
    EXPECT_EQ(rig.Requests(sim::kOidConclude), 1u);
    EXPECT_TRUE(rig.view.windowShown);
    EXPECT_FALSE(window.Adapter().IsOpen());
}

TEST(ShowCis, TheFactoryTuplesInATextWindow) {
    ToolsRig rig;
    meru::MainWindow& window = rig.StartWithTools();
    window.OnCommand(IDM_SHOW_CIS);
    ASSERT_EQ(rig.toolsView.infoWindows.size(), 1u);
    const meru::InfoWindowContent& shown = rig.toolsView.infoWindows[0];
    EXPECT_EQ(shown.title, "CIS:");
    EXPECT_EQ(shown.okCaption, "Close");
    // The card's own CIS: its first tuple opens the first line, the end code closes the text.
    const std::vector<uint8_t> cis = sim::FactoryCis(2, {});
    char first[16];
    std::snprintf(first, sizeof first, "\r\n%x %x ", cis[0], cis[1]);
    EXPECT_EQ(shown.text.find(std::string("; CIS from flash\r\n; -------------------------") + first), 0u);
    EXPECT_EQ(shown.text.substr(shown.text.size() - 5), "\r\nff ");

    std::string error;
    ASSERT_TRUE(rig.card.AddFault("refuse 0xFF010186 always", error)) << error;
    window.OnCommand(IDM_SHOW_CIS);
    EXPECT_EQ(rig.toolsView.infoWindows.size(), 1u) << "no window after a refused read";
    EXPECT_EQ(rig.BoxTexts(), std::vector<std::string>{"Could not read from Aux Port"});
    EXPECT_FALSE(window.Adapter().IsOpen());
}

// Every command that talks to the card, without a selected adapter: the
// window's message and nothing else.
TEST(MaintenanceCommands, NoAdapterSelected) {
    for (int command : {IDM_SHOW_PDA, IDM_EDIT_MAC_SERIAL, IDM_CLEAR_PDA, IDC_QUERY_FW_VERSION,
                        IDM_QUERY_DRIVER_VERSION, IDM_SHOW_MAC_ID, IDM_SHOW_CIS, IDC_TEST_RID_FC0F, IDC_TEST_RID_FC01,
                        IDM_DUMP_FIRMWARE}) {
        SCOPED_TRACE(command);
        ToolsRig rig;
        meru::MainWindow& window = rig.StartWithTools();
        window.ResetToNoAdapter();
        rig.toolsView.edit = [](meru::PdaEditFields&) { return true; };
        rig.toolsView.dumpPath = "never-written.hex";
        rig.boxes.boxes.clear();
        window.OnCommand(command);
        std::vector<std::string> texts = rig.BoxTexts();
        if (command == IDM_CLEAR_PDA || command == IDM_DUMP_FIRMWARE) texts.erase(texts.begin());  // asked first
        EXPECT_EQ(texts, std::vector<std::string>{"Cannot continue - No adapter selected."});
        EXPECT_TRUE(rig.toolsView.infoWindows.empty());
        EXPECT_TRUE(rig.toolsView.proposedNames.empty());
        EXPECT_EQ(rig.card.Counters().TotalRequests(), 0u) << "nothing reaches the card";
    }
}

}  // namespace
