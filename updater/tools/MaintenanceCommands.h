#pragma once

#include <string>

#include "app/MaintenanceTools.h"
#include "tools/RegistryWriter.h"
#include "tools/ToolsView.h"

namespace meru {

class AccessLibrary;

// The maintenance commands of the main window: the PDA tools, the card
// diagnostics, the flash dump and the file association. Each command that
// talks to the card opens the selected adapter through the window for its
// own span and leaves it closed.
class MaintenanceCommands : public MaintenanceTools {
public:
    struct Ports {
        ToolsView& view;
        RegistryWriter& registry;
        AccessLibrary& library;   // tells the Windows 95 family from NT
        std::string programPath;  // the program's first command-line argument
    };

    explicit MaintenanceCommands(const Ports& ports);

    bool HandleCommand(ToolHost& window, int commandId) override;
    bool HandleSystemCommand(ToolHost& window, int commandId) override;
    // The PDA restore of "-restorepda FILE" (one adapter, opened whatever
    // its PDA holds; a confirmation box when the user is asked; the PDA backed
    // up as raw words; the file's records written and read back).
    bool RestorePda(ToolHost& window, const PdaRestoreRequest& request) override;

    // PDA tools (commands 32773, 1015, 1017 and 32772).
    void ShowPda(ToolHost& window);
    void EditMacAndSerial(ToolHost& window);
    void ClearPda(ToolHost& window);

    // Card diagnostics (commands 1046, 32780, 32779, 32778, 1010, 1045).
    void ShowFirmwareVersions(ToolHost& window);
    void ShowDriverVersion(ToolHost& window);
    void ShowMacId(ToolHost& window);
    void ShowCis(ToolHost& window);
    void TestVendorDescription(ToolHost& window);
    void TestConclude(ToolHost& window);

    // The flash dump window to a file (command 32781).
    void DumpFirmware(ToolHost& window);

private:
    ToolsView& view_;
    RegistryWriter& registry_;
    AccessLibrary& library_;
    std::string programPath_;
};

}  // namespace meru
