#include "ServerRegistration.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "FakeHostPlatform.h"
#include "FakeRegistry.h"
#include "FakeServiceManager.h"
#include "RegistrationTables.h"
#include "ServiceGuids.h"

namespace {

using kestrel::kAppIdText;
using kestrel::kDevEnablerClsidText;
using kestrel::kLibIdText;
using testsupport::FakeHostPlatform;
using testsupport::FakeRegistry;
using testsupport::FakeServiceManager;

const std::string kAppKey = std::string("AppID\\") + kAppIdText;
const std::string kClassKey = std::string("CLSID\\") + kDevEnablerClsidText;

kestrel::ModuleFiles Module(const std::string& shortPath = "C:\\PROGRA~1\\KESTREL\\KESTRE~1.EXE") {
    return {"C:\\Program Files\\Kestrel\\Kestrelsvc.exe", shortPath, "C:\\Program Files\\Kestrel"};
}

struct Host {
    FakeHostPlatform platform;
    FakeRegistry registry;
    FakeServiceManager manager;
    kestrel::ServiceInstaller installer{manager, platform, kestrel::kServiceName, Module().fullPath};

    kestrel::WinResult Register(bool asService, const kestrel::ModuleFiles& module = Module()) {
        return kestrel::RegisterServer(asService, module, platform, registry, installer);
    }
    kestrel::WinResult Unregister() {
        return kestrel::UnregisterServer(Module(), platform, registry, installer);
    }
    std::set<std::string> Entries() const {
        const auto lines = registry.Dump();
        return {lines.begin(), lines.end()};
    }
};

std::set<std::string> LocalServerEntries(const std::string& localServer) {
    const std::string clsid = kDevEnablerClsidText;
    return {
        "AppID", kAppKey, kAppKey + "|=Kestrelsvc", "AppID\\Kestrelsvc.EXE",
        std::string("AppID\\Kestrelsvc.EXE|AppID=") + kAppIdText,
        "Kestrelsvc.DevEnabler.1", "Kestrelsvc.DevEnabler.1|=DevEnabler Class",
        "Kestrelsvc.DevEnabler.1\\CLSID", "Kestrelsvc.DevEnabler.1\\CLSID|=" + clsid,
        "Kestrelsvc.DevEnabler", "Kestrelsvc.DevEnabler|=DevEnabler Class",
        "Kestrelsvc.DevEnabler\\CLSID", "Kestrelsvc.DevEnabler\\CLSID|=" + clsid,
        "Kestrelsvc.DevEnabler\\CurVer", "Kestrelsvc.DevEnabler\\CurVer|=Kestrelsvc.DevEnabler.1",
        "CLSID", kClassKey, kClassKey + "|=DevEnabler Class", kClassKey + "|AppID=" + kAppIdText,
        kClassKey + "\\ProgID", kClassKey + "\\ProgID|=Kestrelsvc.DevEnabler.1",
        kClassKey + "\\VersionIndependentProgID", kClassKey + "\\VersionIndependentProgID|=Kestrelsvc.DevEnabler",
        kClassKey + "\\Programmable",
        kClassKey + "\\LocalServer32", kClassKey + "\\LocalServer32|=" + localServer,
        kClassKey + "\\TypeLib", kClassKey + "\\TypeLib|=" + kLibIdText,
    };
}

TEST(Registration, RegServerWritesTheEntriesAndTheTypeLibrary) {
    Host host;
    host.registry.Put(kClassKey + "\\InprocServer32", "ThreadingModel", "Both");  // stale, goes
    host.registry.Put(kClassKey + "\\Programmable", "left", "over");            // emptied
    EXPECT_EQ(host.Register(false), 0);
    EXPECT_EQ(host.Entries(), LocalServerEntries("C:\\PROGRA~1\\KESTREL\\KESTRE~1.EXE"));
    EXPECT_EQ(host.platform.calls,
              (std::vector<std::string>{"InitializeCom",
                                        "RegisterTypeLibrary C:\\Program Files\\Kestrel\\Kestrelsvc.exe "
                                        "C:\\Program Files\\Kestrel",
                                        "UninitializeCom"}));
    EXPECT_TRUE(host.manager.services.empty());
    EXPECT_TRUE(host.platform.notices.empty());
}

TEST(Registration, TheModulePathIsWrittenAsItIs) {
    // Quotes in the path are doubled only where a script quotes its strings;
    // the registry gets the path itself.
    Host host;
    EXPECT_EQ(host.Register(false, Module("C:\\O'BRIEN\\KESTRE~1.EXE")), 0);
    EXPECT_EQ(host.registry.keys[kClassKey + "\\LocalServer32"][""], "C:\\O'BRIEN\\KESTRE~1.EXE");
    EXPECT_EQ(kestrel::ExpandModule("%MODULE% -x %MODULE%%", "a'b"), "a'b -x a'b%");

    // A long path (no short form on the volume) with blanks is quoted.
    Host longPath;
    EXPECT_EQ(longPath.Register(false, Module("C:\\Program Files\\Kestrel\\Kestrelsvc.exe")), 0);
    EXPECT_EQ(longPath.registry.keys[kClassKey + "\\LocalServer32"][""],
              "\"C:\\Program Files\\Kestrel\\Kestrelsvc.exe\"");
    EXPECT_EQ(kestrel::ExpandModule("%MODULE", "a"), "%MODULE");
}

TEST(Registration, AsServiceTheAppIdNamesTheAutoStartService) {
    Host host;
    EXPECT_EQ(host.Register(true), 0);
    EXPECT_EQ(host.registry.keys[kAppKey]["LocalService"], "Kestrelsvc");
    EXPECT_EQ(host.registry.keys[kAppKey]["ServiceParameters"], "-Service");
    ASSERT_EQ(host.manager.services.count("Kestrelsvc"), 1u);
    const kestrel::ServiceConfig& service = host.manager.services["Kestrelsvc"];
    EXPECT_EQ(service.displayName, "Kestrelsvc");
    EXPECT_EQ(service.access, kestrel::kServiceAllAccess);
    EXPECT_EQ(service.serviceType, 0x10u);
    EXPECT_EQ(service.startType, 2u);  // automatic, not on demand
    EXPECT_EQ(service.errorControl, 1u);
    // Quoted: unquoted, Windows would first try to start "C:\Program.exe".
    EXPECT_EQ(service.binaryPath, "\"C:\\Program Files\\Kestrel\\Kestrelsvc.exe\"");
    EXPECT_EQ(service.dependencies, std::vector<std::string>{"RPCSS"});

    // Again as a service: the old service is deleted and created anew.
    EXPECT_EQ(host.Register(true), 0);
    EXPECT_EQ(host.manager.deleted, 1);
    EXPECT_EQ(host.manager.created, 2);
    EXPECT_EQ(host.manager.stopsSent, 1);

    // As a local server: the service and LocalService go.
    EXPECT_EQ(host.Register(false), 0);
    EXPECT_TRUE(host.manager.services.empty());
    EXPECT_EQ(host.registry.keys[kAppKey].count("LocalService"), 0u);
    EXPECT_EQ(host.registry.keys[kAppKey].count("ServiceParameters"), 0u);
    EXPECT_TRUE(host.manager.AllClosed());
    EXPECT_TRUE(host.platform.notices.empty());
}

TEST(Registration, UnregServerRemovesOnlyWhatItListed) {
    Host host;
    ASSERT_EQ(host.Register(true), 0);
    host.registry.Put("AppID\\{00000000-0000-0000-0000-000000000001}", "", "other");
    host.registry.Put("CLSID\\{00000000-0000-0000-0000-000000000002}", "", "other");
    host.registry.Put("Kestrelsvc.DevEnabler\\Foreign", "", "kept");

    EXPECT_EQ(host.Unregister(), 0);
    EXPECT_EQ(host.Entries(), (std::set<std::string>{
                                  "AppID", "AppID\\{00000000-0000-0000-0000-000000000001}",
                                  "AppID\\{00000000-0000-0000-0000-000000000001}|=other", "CLSID",
                                  "CLSID\\{00000000-0000-0000-0000-000000000002}",
                                  "CLSID\\{00000000-0000-0000-0000-000000000002}|=other",
                                  // kept for its foreign subkey, without its own value
                                  "Kestrelsvc.DevEnabler", "Kestrelsvc.DevEnabler\\Foreign",
                                  "Kestrelsvc.DevEnabler\\Foreign|=kept"}));
    EXPECT_TRUE(host.manager.services.empty());
    EXPECT_EQ(host.platform.calls.back(), "UninitializeCom");
    EXPECT_EQ(host.platform.calls[host.platform.calls.size() - 2],
              "UnregisterTypeLibrary C:\\Program Files\\Kestrel\\Kestrelsvc.exe");

    // Nothing registered, no service: still 0 and no message box.
    Host empty;
    EXPECT_EQ(empty.Unregister(), 0);
    EXPECT_TRUE(empty.platform.notices.empty());
    EXPECT_TRUE(empty.registry.keys.empty());
}

TEST(Registration, FailuresComeBackAsTheResult) {
    Host comless;
    comless.platform.comResult = static_cast<kestrel::WinResult>(0x8007000E);
    EXPECT_EQ(comless.Register(false), static_cast<kestrel::WinResult>(0x8007000E));
    EXPECT_EQ(comless.Unregister(), static_cast<kestrel::WinResult>(0x8007000E));
    EXPECT_TRUE(comless.registry.keys.empty());

    Host stuck;
    stuck.registry.CreateKey(kAppKey);
    stuck.registry.readOnly.insert(kAppKey);
    EXPECT_EQ(stuck.Register(true), FakeRegistry::kAccessDenied);
    EXPECT_TRUE(stuck.manager.services.empty());
    EXPECT_EQ(stuck.registry.keys.count(kClassKey), 0u);
    EXPECT_EQ(stuck.platform.calls.back(), "UninitializeCom");

    Host classless;
    classless.registry.readOnly.insert("CLSID");
    EXPECT_EQ(classless.Register(false), FakeRegistry::kAccessDenied);

    Host typeless;
    typeless.platform.typeLibResult = static_cast<kestrel::WinResult>(0x80029C4A);
    EXPECT_EQ(typeless.Register(false), static_cast<kestrel::WinResult>(0x80029C4A));
}

TEST(Registration, ServiceManagerFailuresAreShownNotReturned) {
    Host noManager;
    noManager.manager.managerFails = true;
    EXPECT_EQ(noManager.Register(true), 0);
    EXPECT_EQ(noManager.platform.notices, std::vector<std::string>{"Kestrelsvc: Couldn't open service manager"});

    Host noCreate;
    noCreate.manager.createFails = true;
    EXPECT_EQ(noCreate.Register(true), 0);
    EXPECT_EQ(noCreate.platform.notices, std::vector<std::string>{"Kestrelsvc: Couldn't create service"});

    Host noOpen;
    ASSERT_EQ(noOpen.Register(true), 0);
    noOpen.manager.openFails = true;
    EXPECT_EQ(noOpen.Register(false), 0);
    EXPECT_EQ(noOpen.platform.notices, std::vector<std::string>{"Kestrelsvc: Couldn't open service"});
    EXPECT_EQ(noOpen.manager.services.size(), 1u);

    Host noDelete;
    ASSERT_EQ(noDelete.Register(true), 0);
    noDelete.manager.deleteFails = true;
    EXPECT_EQ(noDelete.Unregister(), 0);
    EXPECT_EQ(noDelete.platform.notices, std::vector<std::string>{"Kestrelsvc: Service could not be deleted"});
    EXPECT_TRUE(noDelete.manager.AllClosed());
}

}  // namespace
