#pragma once

#include <string>

#include "../ResourceSource.h"

namespace meru {

// The FIRMWARE resources linked into the running program.
class Win32ResourceSource : public ResourceSource {
public:
    // Looks up "#<id>" of type "FIRMWARE" in the program's own module.
    bool Load(unsigned id, std::string& text) override;
};

}  // namespace meru
