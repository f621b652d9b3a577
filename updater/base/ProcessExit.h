#pragma once

#include <functional>

namespace meru {

// Ends the process at once with `code` after flushing every output stream.
// The fatal paths (a failed flash write, an image that cannot be held in
// memory) end here.
[[noreturn]] void EndProcess(int code);

// Tests replace the real exit: the hook is called instead and is expected
// not to return (it throws). If it does return, the process exits anyway.
void SetEndProcessHook(std::function<void(int)> hook);

}  // namespace meru
