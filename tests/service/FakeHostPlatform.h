#pragma once

#include <functional>
#include <string>
#include <vector>

#include "HostPlatform.h"

namespace testsupport {

// Records what the service host asks of Windows, one line per call, and
// lets a test act at the points where Windows would hand control back
// (the dispatcher, the message pump, security set-up).
class FakeHostPlatform : public kestrel::HostPlatform {
public:
    std::vector<std::string> calls;
    std::vector<std::string> events;   // event-log texts, "source: text"
    std::vector<std::string> output;   // standard-output lines
    std::vector<std::string> notices;  // "caption: text"
    std::vector<std::uint32_t> reportedStates;
    std::vector<kestrel::AccessRule> securityRules;
    std::uint32_t classContext = 0;

    kestrel::WinResult comResult = 0;
    kestrel::WinResult typeLibResult = 0;
    StatusHandle controlHandler = 0x51;
    // The Service Control Manager's side: runs the service entry when the
    // program was started by it (returns true), or refuses (false).
    std::function<bool()> dispatcher = [] { return false; };
    std::function<void()> whilePumping = [] {};
    std::function<void()> duringSecurity = [] {};
    ThreadId thread = 7;

    kestrel::WinResult InitializeCom() override {
        calls.push_back("InitializeCom");
        return comResult;
    }
    void UninitializeCom() override { calls.push_back("UninitializeCom"); }
    kestrel::WinResult RegisterTypeLibrary(const std::string& modulePath,
                                           const std::string& helpDirectory) override {
        calls.push_back("RegisterTypeLibrary " + modulePath + " " + helpDirectory);
        return typeLibResult;
    }
    void UnregisterTypeLibrary(const std::string& modulePath) override {
        calls.push_back("UnregisterTypeLibrary " + modulePath);
    }
    void InitializeSecurity(const std::vector<kestrel::AccessRule>& rules) override {
        calls.push_back("InitializeSecurity");
        securityRules = rules;
        duringSecurity();
    }
    void FreeSecurity() override { calls.push_back("FreeSecurity"); }
    void RegisterClassObjects(std::uint32_t context) override {
        calls.push_back("RegisterClassObjects");
        classContext = context;
    }
    void RevokeClassObjects() override { calls.push_back("RevokeClassObjects"); }
    ThreadId CurrentThreadId() override { return thread; }
    void PostQuit(ThreadId target) override { calls.push_back("PostQuit " + std::to_string(target)); }
    void PumpMessages() override {
        calls.push_back("PumpMessages");
        whilePumping();
    }
    bool RunServiceDispatcher(const std::string& serviceName) override {
        calls.push_back("RunServiceDispatcher " + serviceName);
        return dispatcher();
    }
    StatusHandle RegisterControlHandler(const std::string& serviceName) override {
        calls.push_back("RegisterControlHandler " + serviceName);
        return controlHandler;
    }
    void ReportServiceStatus(StatusHandle handle, const kestrel::ServiceStatus& status) override {
        calls.push_back("ReportServiceStatus " + std::to_string(status.currentState));
        if (handle == controlHandler) reportedStates.push_back(status.currentState);
    }
    void WriteEventLog(const std::string& serviceName, const std::string& text) override {
        events.push_back(serviceName + ": " + text);
    }
    void WriteStandardOutput(const std::string& line) override { output.push_back(line); }
    void ShowNotice(const std::string& text, const std::string& caption) override {
        notices.push_back(caption + ": " + text);
    }
};

}  // namespace testsupport
