#pragma once

#include <windows.h>

namespace meru {

// A function of a system DLL that not every Windows the updater runs on
// has, looked up when it is needed instead of imported: a program that
// imports a function the system lacks does not load at all. Use the
// declared function's type, e.g.
//     SystemFunction<decltype(&MonitorFromPoint)>("user32.dll", "MonitorFromPoint")
// nullptr when the DLL is not in the process or lacks the function. Only
// DLLs the program imports already (so loaded) are looked at.
template <typename FunctionPointer>
FunctionPointer SystemFunction(const char* dll, const char* name) {
    HMODULE module = GetModuleHandleA(dll);
    if (module == nullptr) return nullptr;
    return reinterpret_cast<FunctionPointer>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace meru
