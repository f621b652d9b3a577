// The tools' part of the main window's command table.
#include "tools/MaintenanceCommands.h"

#include "app/ToolHost.h"
#include "app/ResourceIds.h"
#include "tools/FileAssociation.h"

namespace meru {

namespace {

// The icons of the registered file types, counted in the program's icon
// resources in resource order (128, 133, 134, 136, 148).
constexpr int kHexFileIconIndex = 2;  // icon 134
constexpr int kPdaFileIconIndex = 3;  // icon 136

}  // namespace

MaintenanceCommands::MaintenanceCommands(const Ports& ports)
    : view_(ports.view), registry_(ports.registry), library_(ports.library), programPath_(ports.programPath) {}

bool MaintenanceCommands::HandleCommand(ToolHost& window, int commandId) {
    switch (commandId) {
    case IDM_SHOW_PDA: ShowPda(window); return true;
    case IDM_EDIT_MAC_SERIAL: EditMacAndSerial(window); return true;
    case IDM_CLEAR_PDA:
    case IDM_CLEAR_PDA_ALT: ClearPda(window); return true;
    case IDC_QUERY_FW_VERSION: ShowFirmwareVersions(window); return true;
    case IDM_QUERY_DRIVER_VERSION: ShowDriverVersion(window); return true;
    case IDM_SHOW_MAC_ID: ShowMacId(window); return true;
    case IDM_SHOW_CIS: ShowCis(window); return true;
    case IDC_TEST_RID_FC0F: TestVendorDescription(window); return true;
    case IDC_TEST_RID_FC01: TestConclude(window); return true;
    case IDM_DUMP_FIRMWARE: DumpFirmware(window); return true;
    default: return false;
    }
}

bool MaintenanceCommands::HandleSystemCommand(ToolHost&, int commandId) {
    switch (commandId) {
    case IDM_REGISTER_HEX:
        RegisterFileType(registry_, library_, programPath_, ".hex", kHexFileIconIndex, false);
        return true;
    case IDM_REGISTER_PDA:
        RegisterFileType(registry_, library_, programPath_, ".pda", kPdaFileIconIndex, true);
        return true;
    default: return false;
    }
}

}  // namespace meru
