#pragma once

#include "base/ReportBox.h"

namespace meru {

// Shows ReportBox's boxes with the Win32 MessageBox.
class Win32MessageBox : public MessageBoxPort {
public:
    int Show(WindowRef owner, const char* text, const char* caption, unsigned type) override;
};

}  // namespace meru
