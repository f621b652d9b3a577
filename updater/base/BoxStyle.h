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

}  // namespace meru
