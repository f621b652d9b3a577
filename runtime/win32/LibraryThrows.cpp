// The C++ library's throw points (std::__throw_*), which its headers call
// for a failed bounds or length check. The programs are built without
// exceptions: each ends the program with its message, and with all of them
// here the library's own (functexcept.o, which would bring the exception
// classes, the unwinder and the runtime's printf) is never linked. A new
// one in a later library fails the link as a duplicate instead of slipping in.
#include <bits/functexcept.h>

#include <cstdarg>

#include "InternalError.h"
#include "TextFormat.h"

namespace std {

void __throw_bad_exception() { velox::StopAfterInternalError("bad exception"); }
void __throw_bad_alloc() { velox::StopAfterInternalError("out of memory"); }
void __throw_bad_array_new_length() { velox::StopAfterInternalError("bad array new length"); }
void __throw_bad_cast() { velox::StopAfterInternalError("bad cast"); }
void __throw_bad_typeid() { velox::StopAfterInternalError("bad typeid"); }
void __throw_logic_error(const char* what) { velox::StopAfterInternalError(what); }
void __throw_domain_error(const char* what) { velox::StopAfterInternalError(what); }
void __throw_invalid_argument(const char* what) { velox::StopAfterInternalError(what); }
void __throw_length_error(const char* what) { velox::StopAfterInternalError(what); }
void __throw_out_of_range(const char* what) { velox::StopAfterInternalError(what); }
void __throw_runtime_error(const char* what) { velox::StopAfterInternalError(what); }
void __throw_range_error(const char* what) { velox::StopAfterInternalError(what); }
void __throw_overflow_error(const char* what) { velox::StopAfterInternalError(what); }
void __throw_underflow_error(const char* what) { velox::StopAfterInternalError(what); }
void __throw_ios_failure(const char* what) { velox::StopAfterInternalError(what); }
void __throw_ios_failure(const char* what, int) { velox::StopAfterInternalError(what); }
void __throw_system_error(int) { velox::StopAfterInternalError("system error"); }
void __throw_future_error(int) { velox::StopAfterInternalError("future error"); }
void __throw_bad_function_call() { velox::StopAfterInternalError("bad function call"); }

void __throw_out_of_range_fmt(const char* format, ...) {
    // The library's own formats use %zu and %s only, which ours knows.
    va_list args;
    va_start(args, format);
    char text[256];
    velox::FormatTextV(text, sizeof text, format, args);
    va_end(args);
    velox::StopAfterInternalError(text);
}

}  // namespace std
