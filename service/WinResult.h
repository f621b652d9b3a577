#pragma once

#include <cstdint>

namespace kestrel {

// Windows error codes and HRESULTs as the program passes them on; 0 is success.
using WinResult = std::int32_t;

constexpr WinResult kErrorSuccess = 0;
constexpr WinResult kErrorFileNotFound = 2;
constexpr WinResult kErrorGenFailure = 31;
constexpr WinResult kErrorMoreData = 234;
constexpr WinResult kErrorNoMoreItems = 259;

}  // namespace kestrel
