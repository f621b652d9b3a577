// The card diagnostics: firmware versions with their compatibility ranges,
// driver version, MAC controller type, CIS, and the two hidden test
// commands.
#include <cstdio>

#include "app/ToolHost.h"
#include "base/ReportBox.h"
#include "base/SessionLog.h"
#include "card/CardRequests.h"
#include "TextFormat.h"
#include "tools/MaintenanceCommands.h"
#include "tools/ToolTexts.h"

namespace meru {

namespace {

// getVersionText writes into a buffer of 60 characters, told it has 59.
constexpr size_t kVersionTextBuffer = 60;
constexpr size_t kVersionTextSize = 59;
constexpr uint16_t kCisBytes = 512;

struct RangeLine {
    uint16_t rid;
    const char* name;
};
// The compatibility ranges the card reports, in the order the log lists them.
constexpr RangeLine kRangeLines[] = {
    {RID_PRIMARY_SUPPLIER_RANGE, "Primary Supplier Range"},
    {RID_MODEM_SUPPLIER_RANGE, "Modem Supplier Range"},
    {RID_CONTROLLER_SUPPLIER_RANGE, "Controller Supplier Range"},
    {RID_STATION_SUPPLIER_RANGE, "Station Supplier Range"},
    {RID_MODEM_ACTOR_RANGE, "Modem Actor Range"},
    {RID_CONTROLLER_ACTOR_RANGE, "Controller Actor Range"},
};
// Data words of a range record.
constexpr size_t kRangeBottomWord = 3;
constexpr size_t kRangeTopWord = 4;

// "<name>=<bottom>..<top>", or "<name>=(read failure)" for a record the card
// did not deliver, so that no line shows values it never read.
std::string RangeLinesText(AdapterHandle& adapter) {
    std::string text = "\n\n";
    for (const RangeLine& line : kRangeLines) {
        RidRecord record;
        char values[32];
        if (adapter.ReadRecord(record, line.rid)) {
            velox::FormatText(values, sizeof values, "%u..%u", static_cast<unsigned>(record.Word(kRangeBottomWord)),
                          static_cast<unsigned>(record.Word(kRangeTopWord)));
        } else {
            velox::FormatText(values, sizeof values, "(read failure)");
        }
        text += std::string(line.name) + "=" + values + "\n";
    }
    return text;
}

}  // namespace

void MaintenanceCommands::ShowFirmwareVersions(ToolHost& window) {
    if (!window.OpenSelectedAdapter(false)) return;
    AdapterHandle& adapter = window.Adapter();
    char version[kVersionTextBuffer] = {};
    adapter.GetVersionText(version, kVersionTextSize, static_cast<uint32_t>(window.AdapterIndex()));
    std::string fileNames;
    adapter.ReadFileNameText(fileNames);
    const std::string ranges = RangeLinesText(adapter);
    window.CloseAdapter();

    ReportBox(window.Owner(), (std::string(version) + "\n\n" + fileNames).c_str(), "Current Firmware Versions",
              kBoxOk);
    LogPrintf("%s\n", ranges.c_str());
}

void MaintenanceCommands::ShowDriverVersion(ToolHost& window) {
    if (!window.OpenSelectedAdapter(false)) return;
    const uint32_t version = window.Adapter().QueryDriverVersion();
    window.CloseAdapter();
    ReportBox(window.Owner(), DriverVersionText(version).c_str(), "Driver Version for Selected Card", kBoxOk);
}

void MaintenanceCommands::ShowMacId(ToolHost& window) {
    if (!window.OpenSelectedAdapter(false)) return;
    window.CloseAdapter();
    ReportBox(window.Owner(), MacIdText(window.Adapter().MacType()).c_str(), "MAC ID:", kBoxOk);
}

void MaintenanceCommands::ShowCis(ToolHost& window) {
    uint8_t cis[kCisBytes];
    if (!window.OpenSelectedAdapter(false)) return;
    if (!window.Adapter().ReadAuxPort(cis, window.Adapter().CisAddress(), kCisBytes)) {
        window.CloseAdapter();
        return;
    }
    window.CloseAdapter();
    view_.ShowInfoWindow(ClosableInfoWindow("CIS:", CisDisplayText(cis, kCisBytes)));
}

void MaintenanceCommands::TestVendorDescription(ToolHost& window) {
    window.OpenSelectedAdapter(false);
    window.Adapter().ShowVendorDescription();
    window.CloseAdapter();
}

void MaintenanceCommands::TestConclude(ToolHost& window) {
    if (!window.OpenSelectedAdapter(true)) {
        window.CloseAdapter();
        return;
    }
    window.Adapter().ConcludeSession();
    window.CloseAdapter();
    window.ShowUnlessQuiet();
}

}  // namespace meru
