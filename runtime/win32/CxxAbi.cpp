// The few C++ ABI entries our code calls without exceptions: the pure
// virtual call trap and the guards of function-local statics. The
// library's versions reach std::terminate (and with it its verbose
// handler, the demangler and the runtime's printf) or throw.
#include <windows.h>

#include <cstdint>

#include "InternalError.h"

namespace {

// One lock for every guard, recursive: a static's initialiser may itself
// initialise another static on the same thread.
volatile LONG owner = 0;
int depth = 0;

void Lock() {
    const LONG self = static_cast<LONG>(GetCurrentThreadId());
    if (owner == self) {
        ++depth;
        return;
    }
    while (InterlockedCompareExchange(&owner, self, 0) != 0) Sleep(0);
    depth = 1;
}

void Unlock() {
    if (--depth == 0) InterlockedExchange(&owner, 0);
}

bool Done(const std::uint64_t* guard) { return *reinterpret_cast<const volatile unsigned char*>(guard) != 0; }

}  // namespace

extern "C" {

void __cxa_pure_virtual() { velox::StopAfterInternalError("pure virtual function called"); }
void __cxa_deleted_virtual() { velox::StopAfterInternalError("deleted virtual function called"); }

int __cxa_guard_acquire(std::uint64_t* guard) {
    if (Done(guard)) return 0;
    Lock();
    if (Done(guard)) {
        Unlock();
        return 0;
    }
    return 1;  // the caller initialises, then releases (or aborts)
}

void __cxa_guard_release(std::uint64_t* guard) {
    *reinterpret_cast<volatile unsigned char*>(guard) = 1;
    Unlock();
}

void __cxa_guard_abort(std::uint64_t*) { Unlock(); }

}  // extern "C"
