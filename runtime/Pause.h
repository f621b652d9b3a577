#pragma once

#include <cstdint>

namespace velox {

// Lets the calling thread wait. On Windows the system's Sleep: the C++
// library's sleep_for brings its clock code, built for newer processors.
void PauseMilliseconds(std::uint32_t milliseconds);

}  // namespace velox
