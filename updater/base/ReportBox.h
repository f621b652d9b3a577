#pragma once

namespace meru {

// Opaque owner window (an HWND on Windows, nullptr for an ownerless box).
using WindowRef = void*;

// Message-box styles and answers, with the values of the Windows API.
constexpr unsigned kBoxOk = 0x00;
constexpr unsigned kBoxOkCancel = 0x01;
constexpr unsigned kBoxYesNo = 0x04;
constexpr unsigned kBoxIconStop = 0x10;
constexpr unsigned kBoxIconExclamation = 0x30;
constexpr unsigned kBoxIconInformation = 0x40;
// The second button (Cancel of OK/Cancel) is the default.
constexpr unsigned kBoxDefaultSecond = 0x100;

constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

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
