#pragma once

namespace velox {

// What ends a program after an internal error: a failed allocation, a
// bounds check of the C++ library, a pure virtual call. The programs are
// built without exceptions, so these end the program where they happen;
// each program installs a handler that tells the user (the default writes
// the text to the standard error stream). The handler must not return.
using InternalErrorHandler = void (*)(const char* what);
void SetInternalErrorHandler(InternalErrorHandler handler);

[[noreturn]] void StopAfterInternalError(const char* what);

}  // namespace velox
