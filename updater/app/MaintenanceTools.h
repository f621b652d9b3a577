#pragma once

namespace meru {

class MainWindow;

// The maintenance commands of the main window (PDA tools, diagnostics,
// dump, file association). The main window routes their command and system
// command ids here; each handler opens the selected adapter for its span.
class MaintenanceTools {
public:
    virtual ~MaintenanceTools() = default;
    // True when the id is one of the tools' commands (handled).
    virtual bool HandleCommand(MainWindow& window, int commandId) = 0;
    virtual bool HandleSystemCommand(MainWindow& window, int commandId) = 0;
};

}  // namespace meru
