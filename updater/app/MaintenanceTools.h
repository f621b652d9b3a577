#pragma once

#include <string>

namespace meru {

class ToolHost;

// "-restorepda FILE" as the command line asks for it.
struct PdaRestoreRequest {
    std::string path;
    // Interactive: the user confirms the write in a box. Unattended: there
    // is no one to ask, and a file of another card is refused unless
    // `otherMacOk`.
    bool askUser = true;
    bool otherMacOk = false;
};

// The maintenance commands of the main window (PDA tools, diagnostics,
// dump, file association). The main window routes their command and system
// command ids here; each handler opens the selected adapter for its span.
class MaintenanceTools {
public:
    virtual ~MaintenanceTools() = default;
    // True when the id is one of the tools' commands (handled).
    virtual bool HandleCommand(ToolHost& window, int commandId) = 0;
    virtual bool HandleSystemCommand(ToolHost& window, int commandId) = 0;
    // "-restorepda FILE": writes the file's records as the card's whole
    // production data; true when they are on the card.
    virtual bool RestorePda(ToolHost& window, const PdaRestoreRequest& request) = 0;
};

}  // namespace meru
