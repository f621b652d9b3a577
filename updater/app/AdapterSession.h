#pragma once

#include "app/MainWindow.h"

namespace meru {

// The selected adapter, opened for one operation through the window's
// OpenSelectedAdapter and closed when the operation's scope ends, whichever
// way it ends. A session whose driver check failed is not usable but still
// closes the adapter the check left open.
class AdapterSession {
public:
    AdapterSession(MainWindow& window, bool checkDriver)
        : window_(window), usable_(window.OpenSelectedAdapter(checkDriver)) {}
    ~AdapterSession() { Close(); }
    AdapterSession(const AdapterSession&) = delete;
    AdapterSession& operator=(const AdapterSession&) = delete;

    // Opened, and the driver new enough when that was asked.
    bool Usable() const { return usable_; }
    // Closes the adapter now (before a box is shown, say); closing again does nothing.
    void Close() { window_.CloseAdapter(); }

private:
    MainWindow& window_;
    const bool usable_;
};

}  // namespace meru
