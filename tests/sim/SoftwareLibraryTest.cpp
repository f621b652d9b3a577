// The native access library: adapters from the registry, opening by device
// or subkey name, the start-up check's last error, handles, and the library
// kept in state files as the DLL runs it.
#include <gtest/gtest.h>

#include "CardRequests.h"
#include "sim/Fixture.h"
#include "sim/StateFile.h"
#include "sim/StateFileLibrary.h"
#include "support/TempDir.h"

namespace {

using namespace sim;

std::string DisplayName(const meru::AdapterRegistryInfo& info) {
    return reinterpret_cast<const char*>(info.bytes + meru::AdapterRegistryInfo::kDisplayNameOffset);
}

std::string DeviceName(const meru::AdapterRegistryInfo& info) {
    return reinterpret_cast<const char*>(info.bytes + meru::AdapterRegistryInfo::kDeviceNameOffset);
}

uint32_t Enable(meru::AccessLibrary& library, int32_t handle) {
    meru::NdisRequest request;
    request.type = kSet;
    request.oid = kOidEnableAux;
    return library.MakeNdisRequest(handle, request, nullptr);
}

TEST(SoftwareLibrary, DescribesAdapterSubkeysAndNothingElse) {
    MemoryRegistry registry;
    AdapterFixture fixture(registry);
    const FixtureAdapter velox = fixture.AddVeloxAdapter();
    const FixtureAdapter ethernet = fixture.AddForeignAdapter();
    fixture.AddNonAdapterSubkey();
    SoftwareLibrary library(registry);
    meru::AdapterRegistryInfo info;
    ASSERT_EQ(library.GetAdapterRegistryInfo(info, "0000"), 0u);
    EXPECT_EQ(DisplayName(info), velox.displayName);
    EXPECT_EQ(DeviceName(info), velox.deviceName);
    ASSERT_EQ(library.GetAdapterRegistryInfo(info, "0001"), 0u) << "any network adapter is described";
    EXPECT_EQ(DisplayName(info), ethernet.displayName);
    EXPECT_NE(library.GetAdapterRegistryInfo(info, "Properties"), 0u);
    EXPECT_NE(library.GetAdapterRegistryInfo(info, "0002"), 0u);
    EXPECT_NE(library.GetAdapterRegistryInfo(info, nullptr), 0u);
    EXPECT_EQ(registry.OpenHandleCount(), 0u) << "every key closed";
}

TEST(SoftwareLibrary, LongNamesStayInsideTheirFieldsWithATerminator) {
    MemoryRegistry registry;
    AdapterFixture fixture(registry);
    const std::string path = fixture.ClassKeyPath() + "\\0000";
    registry.SetString(meru::kLocalMachine, path, "DriverDesc", "VELOX " + std::string(250, 'd'));
    registry.SetString(meru::kLocalMachine, path, "NetCfgInstanceId", std::string(255, 'n'));
    SoftwareLibrary library(registry);
    meru::AdapterRegistryInfo info;
    std::memset(info.bytes, 0xEE, sizeof info.bytes);
    ASSERT_EQ(library.GetAdapterRegistryInfo(info, "0000"), 0u);
    EXPECT_EQ(DisplayName(info).size(), 256u);
    EXPECT_EQ(DeviceName(info), std::string(255, 'n'));
    EXPECT_EQ(info.bytes[meru::AdapterRegistryInfo::kSize - 1], 0);
}

TEST(SoftwareLibrary, OpensByDeviceNameOnNtAndBySubkeyOn9x) {
    for (RegistryLayout layout : {RegistryLayout::kWindows2000, RegistryLayout::kWindowsNT4, RegistryLayout::kWindows9x}) {
        MemoryRegistry registry;
        AdapterFixture fixture(registry, layout);
        const FixtureAdapter adapter = fixture.AddVeloxAdapter();
        SoftwareCard card = SoftwareCard::Factory(2, 0x0101);
        SoftwareLibrary library(registry);
        library.SetOs(fixture.Os());
        library.AttachCard(card);
        const std::string name = fixture.Os().windowsNT ? "\\Device\\" + adapter.deviceName : adapter.subkey;
        const int32_t handle = library.OpenAdapter(name.c_str());
        ASSERT_NE(handle, meru::kNoLibraryHandle) << name;
        EXPECT_EQ(Enable(library, handle), kStatusSuccess);
        EXPECT_TRUE(card.State().session.auxEnabled);
        EXPECT_EQ(library.OpenAdapter(adapter.deviceName.c_str()) == meru::kNoLibraryHandle, fixture.Os().windowsNT)
            << "NT needs the \\Device\\ prefix";
        EXPECT_EQ(library.IsWindows95(), !fixture.Os().windowsNT);
        EXPECT_EQ(library.OSGetPlatformVersion(2), fixture.Os().platformVersion);
    }
}

TEST(SoftwareLibrary, TheStartupCheckFailsWithTheCardsLastError) {
    for (uint32_t code : {6u, 0x106u, 5u, 2u, 0x1Fu}) {
        MemoryRegistry registry;
        const std::vector<FixtureAdapter> adapters = FillOneAdapter(registry);
        SoftwareCard card = SoftwareCard::Factory(2, 0x0101);
        card.State().libraryLastError = code;
        SoftwareLibrary library(registry);
        library.AttachCard(card);
        EXPECT_EQ(library.OpenAdapter("Check for VXD..."), meru::kNoLibraryHandle);
        EXPECT_EQ(library.GetLastError(), code);
        const int32_t handle = library.OpenAdapter(("\\Device\\" + adapters[0].deviceName).c_str());
        EXPECT_EQ(handle != meru::kNoLibraryHandle, (code & 0xFF) == 6) << "a driver that did not start opens nothing";
        const uint64_t refusals = (code & 0xFF) == 6 ? 0 : 2;  // both opens above
        EXPECT_EQ(card.FaultsFired().count("library-error") != 0 ? card.FaultsFired().at("library-error") : 0u,
                  refusals);
    }
}

TEST(SoftwareLibrary, AdaptersAreServedByTheirCardForeignOnesKnowNoRequests) {
    MemoryRegistry registry;
    AdapterFixture fixture(registry);
    const FixtureAdapter first = fixture.AddVeloxAdapter();
    const FixtureAdapter second = fixture.AddVeloxAdapter();
    const FixtureAdapter ethernet = fixture.AddForeignAdapter();
    FactoryOptions options;
    options.deviceName = second.deviceName;
    SoftwareCard any = SoftwareCard::Factory(2, 0x0101);
    SoftwareCard bound = SoftwareCard::Factory(1, 0x0202, options);
    SoftwareLibrary library(registry);
    library.AttachCard(any);
    library.AttachCard(bound);
    const int32_t a = library.OpenAdapter(("\\Device\\" + first.deviceName).c_str());
    const int32_t b = library.OpenAdapter(("\\DEVICE\\" + second.deviceName).c_str());
    const int32_t c = library.OpenAdapter(("\\Device\\" + ethernet.deviceName).c_str());
    ASSERT_NE(a, meru::kNoLibraryHandle);
    ASSERT_NE(b, meru::kNoLibraryHandle);
    ASSERT_NE(c, meru::kNoLibraryHandle);
    EXPECT_EQ(library.CardOf(a), &any);
    EXPECT_EQ(library.CardOf(b), &bound);
    EXPECT_EQ(Enable(library, c), kStatusInvalidOid);
    EXPECT_EQ(library.OpenHandleCount(), 3u);

    SoftwareLibrary empty(registry);
    EXPECT_EQ(empty.OpenAdapter(("\\Device\\" + first.deviceName).c_str()), meru::kNoLibraryHandle);
    EXPECT_EQ(empty.GetLastError(), 2u) << "a VELOX adapter without a card";
}

TEST(SoftwareLibrary, RequestsOnClosedOrUnknownHandlesFail) {
    MemoryRegistry registry;
    const std::vector<FixtureAdapter> adapters = FillTwoAdapters(registry);
    SoftwareCard card = SoftwareCard::Factory(2, 0x0101);
    SoftwareLibrary library(registry);
    library.AttachCard(card);
    const int32_t handle = library.OpenAdapter(("\\Device\\" + adapters[1].deviceName).c_str());
    ASSERT_NE(handle, meru::kNoLibraryHandle);
    EXPECT_TRUE(library.Close(handle));
    EXPECT_FALSE(library.Close(handle));
    EXPECT_EQ(Enable(library, handle), kStatusInvalidHandle);
    EXPECT_EQ(Enable(library, -1), kStatusInvalidHandle);
    EXPECT_EQ(library.GetLastError(), 6u);
    EXPECT_EQ(card.Counters().TotalRequests(), 0u) << "nothing reached the card";
}

TEST(Fixture, ScenesHoldWhatDiscoveryReads) {
    MemoryRegistry none;
    FillNoAdapter(none);
    meru::RegistryKey key = 0;
    const std::string classKey = AdapterClassKeyPath({});
    ASSERT_EQ(none.OpenKey(meru::kLocalMachine, classKey.c_str(), key), 0);
    char name[200];
    EXPECT_EQ(none.EnumKey(key, 0, name, sizeof name), meru::kRegistryNoMoreItems);

    MemoryRegistry two;
    EXPECT_EQ(FillTwoAdapters(two).size(), 2u);
    ASSERT_EQ(two.OpenKey(meru::kLocalMachine, classKey.c_str(), key), 0);
    std::vector<std::string> subkeys;
    for (uint32_t i = 0; two.EnumKey(key, i, name, sizeof name) == 0; ++i) subkeys.push_back(name);
    EXPECT_EQ(subkeys, (std::vector<std::string>{"0000", "0001", "Properties"}));

    MemoryRegistry disabled;
    const FixtureAdapter adapter = FillDisabledAdapter(disabled)[0];
    const std::string instance =
        "system\\CurrentControlSet\\Hardware Profiles\\Current\\System\\CurrentControlSet\\Enum\\" +
        adapter.matchingDeviceId;
    ASSERT_EQ(disabled.OpenKey(meru::kLocalMachine, instance.c_str(), key), 0);
    ASSERT_EQ(disabled.EnumKey(key, 0, name, sizeof name), 0);
    meru::RegistryKey instanceKey = 0;
    ASSERT_EQ(disabled.OpenKey(key, name, instanceKey), 0);
    uint8_t flags[4] = {};
    uint32_t size = sizeof flags;
    ASSERT_EQ(disabled.QueryValue(instanceKey, "CSConfigFlags", flags, size), 0);
    EXPECT_EQ(flags[0] & 1, 1);

    MemoryRegistry pci;
    AdapterFixture fixture(pci);
    fixture.Disable(fixture.AddVeloxAdapter(true), true);
    const std::string pciKey =
        "system\\CurrentControlSet\\Hardware Profiles\\Current\\System\\CurrentControlSet\\Enum\\pci";
    ASSERT_EQ(pci.OpenKey(meru::kLocalMachine, pciKey.c_str(), key), 0);
    ASSERT_EQ(pci.EnumKey(key, 0, name, sizeof name), 0);
    EXPECT_EQ(std::string(name).rfind("ven_1d47&dev_0200", 0), 0u) << "the device id after \"pci\\\" begins the key";
}

class StateFileLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        adapters_ = FillOneAdapter(registry_);
        path_ = dir_.File("card.state");
        std::string error;
        ASSERT_TRUE(SaveStateFile(path_, SoftwareCard::Factory(2, 0x0101).State(), error)) << error;
    }
    std::unique_ptr<StateFileLibrary> Process() {
        return std::make_unique<StateFileLibrary>(registry_, SplitStatePaths(path_),
                                                  [this](const std::string& message) { reports_.push_back(message); });
    }
    int32_t Open(StateFileLibrary& library) {
        return library.OpenAdapter(("\\Device\\" + adapters_[0].deviceName).c_str());
    }

    testsupport::TempDir dir_;
    MemoryRegistry registry_;
    std::vector<FixtureAdapter> adapters_;
    std::string path_;
    std::vector<std::string> reports_;
};

TEST_F(StateFileLibraryTest, ProcessesShareTheCardThroughItsFile) {
    auto updater = Process();
    auto later = Process();
    const int32_t handle = Open(*updater);
    ASSERT_NE(handle, meru::kNoLibraryHandle);
    ASSERT_EQ(Enable(*updater, handle), kStatusSuccess);
    CardState saved;
    std::string error;
    ASSERT_TRUE(LoadStateFile(path_, saved, error)) << error;
    EXPECT_TRUE(saved.session.auxEnabled) << "saved after the request";
    EXPECT_EQ(saved.counters.For(kOidEnableAux).requests, 1u);

    saved.faults.refusals.push_back({kOidEnableAux, {}, 0xC0000005});
    ASSERT_TRUE(SaveStateFile(path_, saved, error));
    const int32_t second = Open(*later);
    EXPECT_EQ(Enable(*later, second), 0xC0000005u) << "a fault set from outside";
    EXPECT_EQ(Enable(*updater, handle), 0xC0000005u) << "read again by the first process as well";
    EXPECT_TRUE(reports_.empty());
}

TEST_F(StateFileLibraryTest, AnUnusableStateFileKeepsTheDriverFromStarting) {
    testsupport::WriteWholeFile(path_, "velox-sim-card-state 1\nmac-type x\n");
    auto library = Process();
    EXPECT_EQ(library->OpenAdapter("Check for VXD..."), meru::kNoLibraryHandle);
    EXPECT_EQ(library->GetLastError(), StateFileLibrary::kErrorFileCorrupt);
    EXPECT_EQ(Open(*library), meru::kNoLibraryHandle);
    ASSERT_EQ(reports_.size(), 1u) << "reported once";
    EXPECT_NE(reports_[0].find(path_ + ": line 2: bad number 'x'"), std::string::npos) << reports_[0];

    std::filesystem::remove(path_);
    EXPECT_EQ(library->OpenAdapter("Check for VXD..."), meru::kNoLibraryHandle);
    EXPECT_EQ(library->GetLastError(), 2u);
}

TEST_F(StateFileLibraryTest, TheEnvironmentNamesTheStateFilesAndMayChooseTheWindows) {
    const OsVersion running{true, 6};
    auto report = [this](const std::string& message) { reports_.push_back(message); };
    for (const auto& [name, os] : {std::make_pair("2000", kWindows2000), std::make_pair("nt4", kWindowsNT4),
                                   std::make_pair("9x", kWindows9x), std::make_pair("", running),
                                   std::make_pair("xp", running)}) {
        auto library = StateFileLibrary::FromEnvironment(registry_, path_, name, running, report);
        EXPECT_EQ(library->IsWindowsNT(), os.windowsNT) << name;
        EXPECT_EQ(library->OSGetPlatformVersion(2), os.platformVersion) << name;
    }
    EXPECT_TRUE(reports_.empty());
    auto library = StateFileLibrary::FromEnvironment(registry_, ";", "", kWindows2000, report);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0], "KBW32N50 (software card): VELOX_SIM_STATE names no state file: no card");
    EXPECT_EQ(Open(*library), meru::kNoLibraryHandle);
}

}  // namespace
