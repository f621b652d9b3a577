#include "InternalError.h"

#include <cstdio>
#include <cstdlib>

namespace velox {

namespace {

InternalErrorHandler handler = nullptr;

}  // namespace

void SetInternalErrorHandler(InternalErrorHandler newHandler) { handler = newHandler; }

void StopAfterInternalError(const char* what) {
    if (handler != nullptr) handler(what);
    std::fputs("internal error: ", stderr);
    std::fputs(what, stderr);
    std::fputs("\n", stderr);
    std::abort();
}

}  // namespace velox
