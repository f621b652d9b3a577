#pragma once

#include "base/BoxStyle.h"

namespace meru {

// Where message boxes are really shown: Win32 in the program, a recorder in tests.
class MessageBoxPort {
public:
    virtual ~MessageBoxPort() = default;
    // caption == nullptr leaves the system's default caption.
    virtual int Show(WindowRef owner, const char* text, const char* caption, unsigned type) = 0;
};

// The port of a quiet session: shows nothing and answers every box Cancel.
class QuietMessageBoxes : public MessageBoxPort {
public:
    int Show(WindowRef, const char*, const char*, unsigned) override { return kAnswerCancel; }
};

// Installs the port ReportBox shows boxes through; nullptr removes it
// (boxes are then only logged and answered Cancel).
void SetMessageBoxPort(MessageBoxPort* port);
MessageBoxPort* CurrentMessageBoxPort();

// Logs "caption:text" and shows the box through the installed port.
int ReportBox(WindowRef owner, const char* text, const char* caption, unsigned type);

}  // namespace meru
