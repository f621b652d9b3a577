#pragma once

#include <string>

#include "card/AdapterHandle.h"

namespace meru {

// The open adapter's permanent address as MAC text; "" when it cannot be read.
std::string PermanentAddressText(AdapterHandle& adapter);

}  // namespace meru
