#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "app/MainWindowView.h"
#include "card/AdapterHandle.h"
#include "image/Pda.h"

namespace meru {

// What the maintenance tools reach of the main window, and no more: the
// selected adapter (opened for each tool's span and closed again), the
// card's PDA as the window shows it, the window's texts, the owner of their
// boxes and the clock. The main window is the one host.
class ToolHost {
public:
    enum class OnlyAdapter { kOpened, kNone, kSeveral, kCannotOpen, kUnknownCard };

    virtual ~ToolHost() = default;

    virtual bool OpenSelectedAdapter(bool checkDriver) = 0;
    virtual void CloseAdapter() = 0;
    // Finds the adapters afresh and opens the only one, identified, whatever
    // its production data holds (no selection, no PDA read); `name` receives
    // its display name. Nothing is shown: the caller words the refusal.
    virtual OnlyAdapter OpenOnlyAdapter(std::string& name) = 0;
    virtual AdapterHandle& Adapter() = 0;
    virtual int32_t AdapterIndex() const = 0;

    virtual Pda& CardPda() = 0;
    // Shows the card PDA's fields again (after a tool changed it).
    virtual void RefreshPdaFields() = 0;
    virtual const DisplayTexts& Texts() const = 0;
    // The owner of the tools' boxes and windows.
    virtual WindowRef Owner() = 0;
    virtual std::tm LocalTime() = 0;
    // The conclude test's end: the window shows again, unless the session is quiet.
    virtual void ShowUnlessQuiet() = 0;
};

}  // namespace meru
