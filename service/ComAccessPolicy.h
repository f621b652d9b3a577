#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel {

// COM access rights, with the values of the Windows API.
constexpr std::uint32_t kComRightsExecute = 1;
constexpr std::uint32_t kComRightsExecuteLocal = 2;
constexpr std::uint32_t kComRightsExecuteRemote = 4;

// Class contexts of the class-object registration.
constexpr std::uint32_t kClassContextLocalServer = 0x4;
constexpr std::uint32_t kClassContextRemoteServer = 0x10;

// One entry of the access list, in order: deny entries come first.
struct AccessRule {
    bool allow = false;
    std::string sid;  // string form, e.g. "S-1-1-0"
    std::uint32_t rights = 0;
};

// Who may call the DevEnabler objects: every local caller, privileged or
// not; no caller that reaches the machine over the network.
std::vector<AccessRule> ComAccessRules();

// The contexts the class object is offered in: local clients only, so a
// remote activation request finds no class object.
std::uint32_t ClassObjectContext();

}  // namespace kestrel
