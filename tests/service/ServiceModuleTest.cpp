#include "ServiceModule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "FakeHostPlatform.h"
#include "FakeRegistry.h"
#include "FakeServiceManager.h"
#include "RegistrationTables.h"

namespace {

using testsupport::FakeHostPlatform;
using testsupport::FakeRegistry;
using testsupport::FakeServiceManager;

const char kProgram[] = "\"C:\\Kestrel\\Kestrelsvc.exe\"";

struct Program {
    FakeHostPlatform platform;
    FakeRegistry registry;
    FakeServiceManager manager;
    kestrel::ServiceModule module{platform, registry, manager,
                                  {"C:\\Kestrel\\Kestrelsvc.exe", "C:\\Kestrel\\KESTRE~1.EXE", "C:\\Kestrel"},
                                  kestrel::kServiceName};

    std::int32_t Run(const std::string& arguments = "") {
        return module.Run(arguments.empty() ? kProgram : std::string(kProgram) + " " + arguments);
    }
    // The Service Control Manager accepts the dispatch table and runs the service entry.
    void StartedByServiceManager() {
        platform.dispatcher = [this] {
            module.ServiceEntry();
            return true;
        };
    }
    // The index of a call, or -1.
    long Position(const std::string& call) const {
        const auto found = std::find(platform.calls.begin(), platform.calls.end(), call);
        return found == platform.calls.end() ? -1 : found - platform.calls.begin();
    }
};

TEST(ServiceHost, CommandsRegisterAndUnregister) {
    Program program;
    EXPECT_EQ(program.Run("-SERVICE"), 0);
    EXPECT_EQ(program.manager.services.count("Kestrelsvc"), 1u);
    EXPECT_EQ(program.Run("/RegServer"), 0);
    EXPECT_TRUE(program.manager.services.empty());
    EXPECT_EQ(program.registry.keys.count(kestrel::AppIdKeyPath()), 1u);
    EXPECT_EQ(program.Run("-unregserver"), 0);
    EXPECT_EQ(program.registry.keys.count(kestrel::AppIdKeyPath()), 0u);
    EXPECT_EQ(program.Position("PumpMessages"), -1);
}

TEST(ServiceHost, WithoutItsAppIdTheProgramDoesNotRun) {
    Program program;
    EXPECT_EQ(program.Run("/RegServer extra"), 2);
    program.registry.keys["AppID"];
    EXPECT_EQ(program.Run(), 2);
    EXPECT_TRUE(program.platform.calls.empty());
}

TEST(ServiceHost, LocalServerEndsWhenTheLastClientLetsGo) {
    Program program;
    ASSERT_EQ(program.Run("/RegServer"), 0);
    program.platform.calls.clear();
    program.platform.whilePumping = [&] {
        program.module.Lock();             // an object
        program.module.LockServer(true);   // a client's server lock
        program.module.LockServer(false);
        program.module.LockServer(false);  // one too many: ignored
        EXPECT_EQ(program.Position("PostQuit 7"), -1);
        program.module.Unlock();           // the last object
    };
    EXPECT_EQ(program.Run("-Embedding"), 0);
    EXPECT_FALSE(program.module.InServiceMode());
    EXPECT_EQ(program.Position("RunServiceDispatcher Kestrelsvc"), -1);
    EXPECT_EQ(program.platform.calls,
              (std::vector<std::string>{"InitializeCom", "InitializeSecurity", "RegisterClassObjects",
                                        "PumpMessages", "PostQuit 7", "RevokeClassObjects",
                                        "UninitializeCom", "FreeSecurity"}));
    EXPECT_EQ(program.platform.output, std::vector<std::string>{"Service started"});
    EXPECT_TRUE(program.platform.events.empty());
    EXPECT_TRUE(program.platform.reportedStates.empty());
}

TEST(ServiceHost, ClassObjectAndSecurityKeepRemoteCallersOut) {
    Program program;
    ASSERT_EQ(program.Run("/RegServer"), 0);
    program.Run();
    EXPECT_EQ(program.platform.classContext & kestrel::kClassContextRemoteServer, 0u);
    EXPECT_NE(program.platform.classContext & kestrel::kClassContextLocalServer, 0u);
    const auto& rules = program.platform.securityRules;
    ASSERT_FALSE(rules.empty());
    // Network logons are denied before anything is allowed; every local caller is allowed.
    EXPECT_FALSE(rules.front().allow);
    EXPECT_EQ(rules.front().sid, "S-1-5-2");
    EXPECT_NE(rules.front().rights & kestrel::kComRightsExecute, 0u);
    bool everyoneLocal = false;
    for (const auto& rule : rules) {
        if (rule.allow) {
            EXPECT_EQ(rule.rights & kestrel::kComRightsExecuteRemote, 0u);
        }
        if (rule.allow && rule.sid == "S-1-1-0") everyoneLocal = (rule.rights & 3u) == 3u;
    }
    EXPECT_TRUE(everyoneLocal);
}

TEST(ServiceHost, ServiceRunsUntilTheStopControl) {
    Program program;
    ASSERT_EQ(program.Run("-Service"), 0);
    program.platform.calls.clear();
    program.StartedByServiceManager();
    program.platform.whilePumping = [&] {
        program.module.Lock();
        program.module.Unlock();  // a service does not end with its last client
        for (std::uint32_t ignored = 2; ignored <= 5; ++ignored) program.module.HandleControl(ignored);
        EXPECT_EQ(program.Position("PostQuit 7"), -1);
        program.module.HandleControl(1);
    };
    EXPECT_EQ(program.Run(), 0);
    EXPECT_TRUE(program.module.InServiceMode());
    EXPECT_EQ(program.platform.reportedStates,
              (std::vector<std::uint32_t>{kestrel::kServiceStartPending, kestrel::kServiceRunning,
                                          kestrel::kServiceStopPending, kestrel::kServiceStopped}));
    EXPECT_LT(program.Position("RegisterClassObjects"), program.Position("ReportServiceStatus 4"));
    EXPECT_LT(program.Position("PostQuit 7"), program.Position("RevokeClassObjects"));
    EXPECT_LT(program.Position("RevokeClassObjects"), program.Position("ReportServiceStatus 1"));
    EXPECT_EQ(program.platform.events,
              (std::vector<std::string>{"Kestrelsvc: Service started", "Kestrelsvc: Service stopped"}));
    EXPECT_TRUE(program.platform.output.empty());
    EXPECT_EQ(program.module.Status().win32ExitCode, 0u);
}

TEST(ServiceHost, StartedByHandTheServiceFallsBackToLocalServer) {
    Program program;
    ASSERT_EQ(program.Run("-Service"), 0);
    program.platform.calls.clear();
    program.platform.whilePumping = [&] {
        program.module.Lock();
        program.module.Unlock();
    };
    EXPECT_EQ(program.Run(), 0);
    EXPECT_LT(program.Position("RunServiceDispatcher Kestrelsvc"), program.Position("PumpMessages"));
    EXPECT_FALSE(program.module.InServiceMode());
    EXPECT_EQ(program.platform.output, std::vector<std::string>{"Service started"});
    EXPECT_GE(program.Position("PostQuit 7"), 0);
}

TEST(ServiceHost, ServiceWithoutHandlerEndsWithoutStatus) {
    Program program;
    ASSERT_EQ(program.Run("-Service"), 0);
    program.platform.controlHandler = 0;
    program.StartedByServiceManager();
    EXPECT_EQ(program.Run(), 0);
    EXPECT_EQ(program.platform.events, std::vector<std::string>{"Kestrelsvc: Handler not installed"});
    EXPECT_EQ(program.Position("PumpMessages"), -1);
    EXPECT_EQ(program.Position("ReportServiceStatus 2"), -1);
}

TEST(ServiceHost, UnknownControlsAreLoggedAndChangeNothing) {
    Program program;
    for (std::uint32_t control : {0u, 6u, 128u}) program.module.HandleControl(control);
    EXPECT_EQ(program.platform.events, std::vector<std::string>(3, "Kestrelsvc: Bad service request"));
    EXPECT_TRUE(program.platform.calls.empty());
    EXPECT_EQ(program.module.Status().currentState, kestrel::kServiceStopped);
}

TEST(ServiceHost, AStopBeforeTheLoopPumpsIsNotLost) {
    Program program;
    ASSERT_EQ(program.Run("-Service"), 0);
    program.StartedByServiceManager();
    program.platform.duringSecurity = [&] { program.module.HandleControl(1); };
    program.platform.calls.clear();
    EXPECT_EQ(program.Run(), 0);
    EXPECT_EQ(program.Position("PumpMessages"), -1);
    EXPECT_GE(program.Position("RevokeClassObjects"), 0);
    EXPECT_EQ(program.platform.reportedStates.back(), kestrel::kServiceStopped);
}

TEST(ServiceHost, LoggedTextsAreCutAt255Characters) {
    Program program;
    const std::string longText(300, 'x');
    program.module.LogEvent("%s", longText.c_str());
    program.module.LogEvent("%d clients", 3);
    ASSERT_EQ(program.platform.events.size(), 2u);
    EXPECT_EQ(program.platform.events[0], "Kestrelsvc: " + std::string(255, 'x'));
    EXPECT_EQ(program.platform.events[1], "Kestrelsvc: 3 clients");
}

}  // namespace
