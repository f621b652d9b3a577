#include "ProcessExit.h"

#include <cstdlib>
#include <utility>

#include "SessionLog.h"

namespace meru {

namespace {
std::function<void(int)>& Hook() {
    static std::function<void(int)> hook;
    return hook;
}
}  // namespace

void SetEndProcessHook(std::function<void(int)> hook) { Hook() = std::move(hook); }

void EndProcess(int code) {
    FlushAllOutput();
    if (Hook()) Hook()(code);
    std::exit(code);
}

}  // namespace meru
