#include "ComAccessPolicy.h"

namespace kestrel {

namespace {
const char kNetworkLogonSid[] = "S-1-5-2";  // every caller that logged on over the network
const char kEveryoneSid[] = "S-1-1-0";
}  // namespace

std::vector<AccessRule> ComAccessRules() {
    // The deny entry covers systems that know only the plain execute right;
    // the allow entry leaves out the remote right for those that know it.
    return {
        {false, kNetworkLogonSid, kComRightsExecute | kComRightsExecuteLocal | kComRightsExecuteRemote},
        {true, kEveryoneSid, kComRightsExecute | kComRightsExecuteLocal},
    };
}

std::uint32_t ClassObjectContext() { return kClassContextLocalServer; }

}  // namespace kestrel
