#include "tools/PdaEditForm.h"

#include <cctype>

#include "tools/PdaFieldTexts.h"

namespace meru {

namespace PdaEditForm {

bool OnMacTextChanged(PdaEditFields& fields) {
    const std::string reformatted = ReformatMacText(fields.macText);
    if (reformatted == fields.macText) return false;
    fields.macText = reformatted;
    return true;
}

bool Accept(PdaEditFields& fields, WindowRef dialog, const std::function<void(const PdaEditFields&)>& pushBack) {
    if (fields.convertToUppercase) {
        for (char& c : fields.serialText) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    pushBack(fields);
    switch (ParseMacText(fields.macText).outcome) {
    case MacOutcome::kNotAMac:
        ReportBox(dialog, "Bad MAC Address", nullptr, kBoxOk);
        return false;
    case MacOutcome::kRefusedZero:
        ReportBox(dialog, "First octet of MAC address can't be zero!", nullptr, kBoxOk);
        return false;
    case MacOutcome::kAccepted:
        break;
    }
    return true;
}

}  // namespace PdaEditForm

}  // namespace meru
