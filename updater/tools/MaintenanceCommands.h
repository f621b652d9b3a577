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

    bool HandleCommand(MainWindow& window, int commandId) override;
    bool HandleSystemCommand(MainWindow& window, int commandId) override;
    // The PDA restore of "-restorepda FILE" (one adapter, opened whatever
    // its PDA holds; a confirmation box when the user is asked; the PDA backed
    // up as raw words; the file's records written and read back).
    bool RestorePda(MainWindow& window, const PdaRestoreRequest& request) override;

    // PDA tools (commands 32773, 1015, 1017 and 32772).
    void ShowPda(MainWindow& window);
    void EditMacAndSerial(MainWindow& window);
    void ClearPda(MainWindow& window);

    // Card diagnostics (commands 1046, 32780, 32779, 32778, 1010, 1045).
    void ShowFirmwareVersions(MainWindow& window);
    void ShowDriverVersion(MainWindow& window);
    void ShowMacId(MainWindow& window);
    void ShowCis(MainWindow& window);
    void TestVendorDescription(MainWindow& window);
    void TestConclude(MainWindow& window);

    // The flash dump window to a file (command 32781).
    void DumpFirmware(MainWindow& window);

private:
    ToolsView& view_;
    RegistryWriter& registry_;
    AccessLibrary& library_;
    std::string programPath_;
};

}  // namespace meru
