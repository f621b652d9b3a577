#include "DevEnablerMethods.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeDeviceSet.h"

namespace {

using kestrel::DevEnablerMethods;
using testsupport::Adapter;
using testsupport::FakeDevice;
using testsupport::FakeDeviceSet;
using testsupport::OtherDevice;

// The four results for one device set, each call on a fresh copy of it.
struct AllFour {
    std::int32_t enable, disable, enumerate, status;
};

AllFour CallAllFour(const FakeDeviceSet& prototype) {
    AllFour results{};
    std::int32_t* slots[] = {&results.enable, &results.disable, &results.enumerate, &results.status};
    for (int method = 0; method < 4; ++method) {
        FakeDeviceSet devices = prototype;
        DevEnablerMethods methods(devices);
        switch (method) {
            case 0: *slots[method] = methods.EnableDevice(); break;
            case 1: *slots[method] = methods.DisableDevice(); break;
            case 2: *slots[method] = methods.EnumerateNics(); break;
            default: *slots[method] = methods.GetCurStatus(); break;
        }
        EXPECT_TRUE(devices.Clean()) << "method " << method << ": list or key left open, or refused call";
        EXPECT_TRUE(devices.installerCalls.empty() || method < 2) << "method " << method << " changed state";
    }
    return results;
}

void ExpectAllFour(const FakeDeviceSet& devices, AllFour expected) {
    const AllFour got = CallAllFour(devices);
    EXPECT_EQ(got.enable, expected.enable);
    EXPECT_EQ(got.disable, expected.disable);
    EXPECT_EQ(got.enumerate, expected.enumerate);
    EXPECT_EQ(got.status, expected.status);
}

FakeDeviceSet SetOf(std::vector<FakeDevice> devices) {
    FakeDeviceSet set;
    set.devices = std::move(devices);
    return set;
}

TEST(DevEnablerSearch, WithoutTheAdapterTheEnumerationsLastErrorOr50) {
    ExpectAllFour(SetOf({}), {259, 259, 259, 50});
    ExpectAllFour(SetOf({OtherDevice("Realtek RTL8139"), OtherDevice("")}), {259, 259, 259, 50});

    // Near misses are not matches: letter case, trailing blank, prefix, longer text.
    const std::string exact = kestrel::kAdapterDescription;
    std::string lower = exact;
    lower[0] = 'd';
    ExpectAllFour(SetOf({OtherDevice(lower), OtherDevice(exact + " "), OtherDevice(exact.substr(0, 34)),
                         OtherDevice(exact + "X"), OtherDevice(std::string(255, 'D'))}),
                  {259, 259, 259, 50});

    // The error is the one the failed fetch left, taken before the release clears it.
    FakeDeviceSet other = SetOf({OtherDevice("Realtek RTL8139")});
    other.endOfListError = 1168;
    ExpectAllFour(other, {1168, 1168, 1168, 50});
}

TEST(DevEnablerSearch, AFetchFailureWithoutAnErrorIsNotReportedAsSuccess) {
    FakeDeviceSet silent = SetOf({});
    silent.endOfListError = 0;    // would read as EnableDevice's success
    ExpectAllFour(silent, {259, 259, 259, 50});
    silent.endOfListError = 10;   // DisableDevice's success
    ExpectAllFour(silent, {10, 259, 10, 50});
    silent.endOfListError = 9;    // EnumerateNics' "present"
    ExpectAllFour(silent, {9, 9, 259, 50});
}

TEST(DevEnablerSearch, FailuresStopTheSearchAtTheFirstFailingDevice) {
    FakeDeviceSet listless;
    listless.listFails = true;
    ExpectAllFour(listless, {2, 2, 2, 2});

    FakeDevice keyless = OtherDevice("Modem");
    keyless.hasDriverKey = false;
    ExpectAllFour(SetOf({keyless, Adapter()}), {3, 3, 3, 3});
    // After the match the keyless device is never looked at.
    ExpectAllFour(SetOf({Adapter(), keyless}), {0, 10, 9, 0});

    FakeDevice valueless = OtherDevice("");
    valueless.hasDescription = false;
    ExpectAllFour(SetOf({valueless, Adapter()}), {4, 4, 4, 4});
    // 256 characters need 257 bytes with the NUL: more than the buffer holds.
    ExpectAllFour(SetOf({OtherDevice(std::string(256, 'D')), Adapter()}), {4, 4, 4, 4});
}

TEST(DevEnablerSearch, DescriptionDataWithoutNulIsReadWithinItsSize) {
    const std::string exact = kestrel::kAdapterDescription;
    FakeDevice bare = OtherDevice("");
    bare.rawDescription = std::vector<std::uint8_t>(exact.begin(), exact.end());
    ExpectAllFour(SetOf({bare}), {0, 10, 9, 0});

    FakeDevice full = OtherDevice("");
    full.rawDescription = std::vector<std::uint8_t>(256, 'D');  // fills the buffer, no NUL
    ExpectAllFour(SetOf({full, Adapter()}), {0, 10, 9, 0});
}

TEST(DevEnablerMethods, DisableThenEnableSwitchesOnlyTheFirstMatch) {
    FakeDevice secondDisabled = Adapter();
    secondDisabled.disabledInProfile = true;
    FakeDeviceSet devices = SetOf({OtherDevice("Realtek RTL8139"), Adapter(), secondDisabled});
    DevEnablerMethods methods(devices);
    EXPECT_EQ(methods.EnumerateNics(), 9);
    EXPECT_EQ(methods.GetCurStatus(), 0);  // the first match, not the disabled second one

    EXPECT_EQ(methods.DisableDevice(), 10);
    EXPECT_EQ(methods.GetCurStatus(), 1);
    EXPECT_TRUE(devices.Disabled(1));
    ASSERT_EQ(devices.installerCalls.size(), 2u);
    for (const auto& call : devices.installerCalls) {
        EXPECT_EQ(call.device, 1u);
        EXPECT_EQ(call.params.stateChange, kestrel::kStateDisable);
        EXPECT_EQ(call.params.scope, kestrel::kScopeConfigSpecific);
        EXPECT_EQ(call.params.hardwareProfile, 0u);
    }
    EXPECT_EQ(devices.installerCalls[0].function, kestrel::kDifPropertyChange);
    EXPECT_EQ(devices.installerCalls[1].function, kestrel::kDifDestroyPrivateData);

    devices.installerCalls.clear();
    EXPECT_EQ(methods.EnableDevice(), 0);
    EXPECT_EQ(methods.GetCurStatus(), 0);
    EXPECT_FALSE(devices.Disabled(1));
    EXPECT_TRUE(devices.Disabled(2));
    ASSERT_EQ(devices.installerCalls.size(), 4u);
    const std::uint32_t scopes[] = {kestrel::kScopeGlobal, kestrel::kScopeGlobal,
                                    kestrel::kScopeConfigSpecific, kestrel::kScopeConfigSpecific};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(devices.installerCalls[i].device, 1u);
        EXPECT_EQ(devices.installerCalls[i].params.stateChange, kestrel::kStateEnable);
        EXPECT_EQ(devices.installerCalls[i].params.scope, scopes[i]);
        EXPECT_EQ(devices.installerCalls[i].function,
                  i % 2 == 0 ? kestrel::kDifPropertyChange : kestrel::kDifDestroyPrivateData);
    }
    EXPECT_TRUE(devices.Clean());
}

TEST(DevEnablerMethods, EnableBringsBackAnAdapterDisabledEitherWay) {
    for (const bool globally : {true, false}) {
        FakeDevice adapter = Adapter();
        (globally ? adapter.disabledGlobally : adapter.disabledInProfile) = true;
        FakeDeviceSet devices = SetOf({adapter});
        DevEnablerMethods methods(devices);
        EXPECT_EQ(methods.GetCurStatus(), 1);
        EXPECT_EQ(methods.EnableDevice(), 0);
        EXPECT_EQ(methods.GetCurStatus(), 0) << (globally ? "global" : "profile");
    }
}

TEST(DevEnablerMethods, StatusReportsOnlyTheDisabledProblem) {
    FakeDevice failedToStart = Adapter();
    failedToStart.otherProblem = 10;  // CM_PROB_FAILED_START
    FakeDeviceSet devices = SetOf({failedToStart});
    EXPECT_EQ(DevEnablerMethods(devices).GetCurStatus(), 0);

    FakeDevice unknown = Adapter();
    unknown.statusFails = true;
    devices = SetOf({unknown});
    EXPECT_EQ(DevEnablerMethods(devices).GetCurStatus(), -1);
    EXPECT_TRUE(devices.Clean());
}

TEST(DevEnablerMethods, InstallerFailuresEndTheCallWithTheirCodes) {
    struct Case {
        const char* what;
        std::uint32_t failingFunction;
        int failingCall;
        std::int32_t enable, disable;
    };
    const Case cases[] = {
        {"property change", kestrel::kDifPropertyChange, 1, 7, 7},
        {"destroy private data", kestrel::kDifDestroyPrivateData, 1, 9, 9},
        {"second enabling pass", kestrel::kDifPropertyChange, 2, 7, 10},
        {"second enabling clean-up", kestrel::kDifDestroyPrivateData, 2, 9, 10},
    };
    for (const Case& c : cases) {
        FakeDeviceSet devices = SetOf({Adapter()});
        devices.devices[0].disabledGlobally = true;
        devices.failingFunction = c.failingFunction;
        devices.failingCall = c.failingCall;
        const AllFour got = CallAllFour(devices);
        EXPECT_EQ(got.enable, c.enable) << c.what;
        EXPECT_EQ(got.disable, c.disable) << c.what;
    }

    // A failed second pass leaves the first one's work in place.
    FakeDeviceSet devices = SetOf({Adapter()});
    devices.devices[0].disabledGlobally = true;
    devices.failingFunction = kestrel::kDifPropertyChange;
    devices.failingCall = 2;
    EXPECT_EQ(DevEnablerMethods(devices).EnableDevice(), 7);
    EXPECT_FALSE(devices.Disabled(0));

    // Parameters that can't be attached give the last error, taken before the release.
    devices = SetOf({Adapter()});
    devices.paramsError = 1784;
    ExpectAllFour(devices, {1784, 1784, 9, 0});
    devices.paramsError = 0;
    ExpectAllFour(devices, {31, 31, 9, 0});
}

TEST(DevEnablerMethods, AFailedReleaseCountsOnlyAfterTheWork) {
    FakeDeviceSet devices = SetOf({Adapter()});
    devices.releaseFails = true;
    ExpectAllFour(devices, {5, 5, 9, 5});

    devices.devices[0].statusFails = true;
    EXPECT_EQ(CallAllFour(devices).status, -1);

    FakeDeviceSet empty = SetOf({});
    empty.releaseFails = true;
    ExpectAllFour(empty, {259, 259, 259, 50});

    FakeDevice keyless = Adapter();
    keyless.hasDriverKey = false;
    FakeDeviceSet failing = SetOf({keyless});
    failing.releaseFails = true;
    ExpectAllFour(failing, {3, 3, 3, 3});
}

}  // namespace
