#pragma once

#include <functional>
#include <string>

#include "base/ReportBox.h"

namespace meru {

// The fields of dialog 139 "View / Modify PDA Settings".
struct PdaEditFields {
    static constexpr size_t kMacLimit = 17;     // characters the MAC field takes
    static constexpr size_t kSerialLimit = 12;  // characters the serial field takes

    std::string macText;
    std::string serialText;
    bool convertToUppercase = true;  // "Convert to Uppercase"
};

// What dialog 139 decides; the Win32 dialog moves its controls' values
// into the fields, calls one of these and pushes the fields back.
namespace PdaEditForm {

// The MAC field's text changed: true when the text read as a MAC address
// and was replaced by its upper-case MAC text (the dialog then sets the
// control's text, which is already what it shows when nothing changed).
bool OnMacTextChanged(PdaEditFields& fields);

// "Write to Card Now": upper-cases the serial text when asked, pushes the
// fields back into the controls (`pushBack`), then checks the MAC text, so
// that a box about the address stands over the texts as they will be
// taken. True when the dialog may end with OK; otherwise the dialog stays
// open after a box owned by `dialog` ("Bad MAC Address" or "First octet of
// MAC address can't be zero!").
bool Accept(PdaEditFields& fields, WindowRef dialog, const std::function<void(const PdaEditFields&)>& pushBack);

}  // namespace PdaEditForm

}  // namespace meru
