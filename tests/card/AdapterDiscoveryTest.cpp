#include "card/AdapterDiscovery.h"

#include <gtest/gtest.h>

#include "CardFakes.h"
#include "card/CollectedAdapters.h"
#include "CardRegistry.h"
#include "ScriptedLibrary.h"
#include "support/LogCapture.h"

using namespace cardtest;

namespace {

class DiscoveryTest : public ::testing::Test {
protected:
    sim::MemoryRegistry registry;
    ScriptedLibrary library;
    meru::AdapterDiscovery discovery{library, registry};
    testsupport::LogCapture log;

    void AddSubkey(const std::string& classKey, const std::string& name) {
        registry.CreateKey(meru::kLocalMachine, classKey + "\\" + name);
    }
    // The class subkey 0000, opened.
    meru::RegistryKey OpenAdapterKey() {
        meru::RegistryKey key = 0;
        EXPECT_EQ(registry.OpenKey(meru::kLocalMachine, (kClassKey2000 + "\\0000").c_str(), key), 0);
        return key;
    }
    // An open class subkey with the given MatchingDeviceId.
    meru::RegistryKey AdapterKey(const std::string& matchingId) {
        registry.SetString(meru::kLocalMachine, kClassKey2000 + "\\0000", "MatchingDeviceId", matchingId);
        return OpenAdapterKey();
    }
    // Instance flags of a device below the NT hardware profile's Enum key.
    void SetNtFlags(const std::string& device, const std::string& instance, uint32_t flags) {
        SetInstanceFlags(registry, meru::kLocalMachine, kProfileEnumNt + device, instance, flags);
    }
};

TEST_F(DiscoveryTest, ClassKeyPathFollowsTheSystemFamilyAndPlatformVersion) {
    EXPECT_EQ(discovery.AdapterClassKeyPath(), kClassKey2000);
    library.platformVersion = 4;
    EXPECT_EQ(discovery.AdapterClassKeyPath(), kClassKeyNt4);
    library.nt = false;
    library.platformVersion = 9;
    EXPECT_EQ(discovery.AdapterClassKeyPath(), kClassKey95);
}

TEST_F(DiscoveryTest, ListsAdaptersInKeyOrderWithTheirIndexAndStopsAtTheFirstNonAdapter) {
    for (const char* name : {"0000", "0001", "0002", "0003"}) AddSubkey(kClassKey2000, name);
    library.adapters["0000"] = {"VELOX PC Card", "{A1}"};
    library.adapters["0001"] = {"Other NIC", "{B2}"};
    library.adapters["0003"] = {"Never reached", "{C3}"};
    meru::CollectedAdapters list;

    EXPECT_TRUE(discovery.FillAdapterList(list));

    EXPECT_EQ(list.names, (std::vector<std::string>{"VELOX PC Card", "Other NIC"}));
    EXPECT_EQ(list.values, (std::vector<uint32_t>{0, 1}));
    EXPECT_EQ(library.registryInfoCalls, (std::vector<std::string>{"0000", "0001", "0002"}));
    const std::string text = log.Text();
    EXPECT_NE(text.find("Registry Path =" + kClassKey2000 + "\n"), std::string::npos);
    EXPECT_NE(text.find("Adapter Enum=0001\nAdapter Name = Other NIC\n"), std::string::npos);
    EXPECT_NE(text.find("Adapter Enum=0002\n"), std::string::npos);
    EXPECT_EQ(text.find("0003"), std::string::npos);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(DiscoveryTest, FirstSubkeyNotAnAdapterOrMissingClassKeyGiveAnEmptyList) {
    meru::CollectedAdapters list;
    EXPECT_TRUE(discovery.FillAdapterList(list));  // no class key at all
    EXPECT_TRUE(list.names.empty());

    AddSubkey(kClassKey2000, "Properties");
    AddSubkey(kClassKey2000, "0001");
    library.adapters["0001"] = {"VELOX PC Card", "{A1}"};
    EXPECT_TRUE(discovery.FillAdapterList(list));
    EXPECT_TRUE(list.names.empty());
}

TEST_F(DiscoveryTest, UnterminatedDisplayNameIsCutAtTheDeviceNameField) {
    AddSubkey(kClassKey95, "0000");
    library.nt = false;
    library.adapters["0000"] = {std::string(600, 'N'), "dev"};
    meru::CollectedAdapters list;
    discovery.FillAdapterList(list);
    ASSERT_EQ(list.names.size(), 1u);
    EXPECT_EQ(list.names[0], std::string(520, 'N'));
}

TEST_F(DiscoveryTest, AdapterWithoutMatchingIdOrDeviceKeyCountsAsEnabled) {
    registry.CreateKey(meru::kLocalMachine, kClassKey2000 + "\\0000");
    meru::RegistryKey key = OpenAdapterKey();
    ASSERT_FALSE(HasFailure());
    EXPECT_TRUE(discovery.IsAdapterEnabled(key));
    registry.CloseKey(key);

    key = AdapterKey("root\\velox");  // no device key
    EXPECT_TRUE(discovery.IsAdapterEnabled(key));
    registry.CloseKey(key);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(DiscoveryTest, InstanceWalkFindsADisabledLaterInstanceButStopsWhereFlagsAreMissing) {
    const std::string device = kProfileEnumNt + "root\\velox";
    meru::RegistryKey key = AdapterKey("root\\velox");

    SetNtFlags("root\\velox", "0000", 0);
    SetNtFlags("root\\velox", "0001", 1);
    EXPECT_FALSE(discovery.IsAdapterEnabled(key));
    EXPECT_NE(log.Text().find("Disabled adapter detected.\n"), std::string::npos);

    // Bit 0 clear on every instance: enabled.
    SetNtFlags("root\\velox", "0001", 2);
    EXPECT_TRUE(discovery.IsAdapterEnabled(key));

    // An instance without flags ends the walk before the disabled one.
    registry.DeleteKey(meru::kLocalMachine, device);
    registry.CreateKey(meru::kLocalMachine, device + "\\0000");
    SetNtFlags("root\\velox", "0001", 1);
    EXPECT_TRUE(discovery.IsAdapterEnabled(key));

    registry.CloseKey(key);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(DiscoveryTest, WalkGoesOnAfterADisabledInstance) {
    meru::RegistryKey key = AdapterKey("root\\velox");
    SetNtFlags("root\\velox", "0000", 1);
    SetNtFlags("root\\velox", "0001", 0);
    SetNtFlags("root\\velox", "0002", 1);
    EXPECT_FALSE(discovery.IsAdapterEnabled(key));
    const std::string text = log.Text();
    const size_t first = text.find("Disabled adapter detected.\n");
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(text.find("Disabled adapter detected.\n", first + 1), std::string::npos);
    registry.CloseKey(key);
}

TEST_F(DiscoveryTest, Windows95DeviceKeysLiveUnderCurrentConfig) {
    library.nt = false;
    meru::RegistryKey key = AdapterKey("PCMCIA\\VELOX-CARD");
    SetNtFlags("PCMCIA\\VELOX-CARD", "0000", 1);
    EXPECT_TRUE(discovery.IsAdapterEnabled(key));  // the NT location is not consulted
    SetInstanceFlags(registry, meru::kCurrentConfig, "Enum\\PCMCIA\\VELOX-CARD", "0000", 1);
    EXPECT_FALSE(discovery.IsAdapterEnabled(key));
    registry.CloseKey(key);
}

TEST_F(DiscoveryTest, PciIdentityExaminesOnlyTheMatchingKeyThatSortsLast) {
    // Both match; "...&REV_02" sorts after "...&rev_01" ignoring case.
    SetNtFlags("pci\\VEN_1260&DEV_3873&REV_02", "0000", 0);
    SetNtFlags("pci\\ven_1260&dev_3873&rev_01", "0000", 1);
    SetNtFlags("pci\\VEN_9999&DEV_3873&REV_09", "0000", 1);
    meru::RegistryKey key = AdapterKey("PCI\\ven_1260&dev_3873");

    EXPECT_TRUE(discovery.IsAdapterEnabled(key));
    EXPECT_NE(log.Text().find("Found PCI Device VEN_1260&DEV_3873&REV_02\n"), std::string::npos);
    EXPECT_EQ(log.Text().find("VEN_9999"), std::string::npos);

    // Disable the last-sorting one instead: now the adapter is disabled.
    SetNtFlags("pci\\VEN_1260&DEV_3873&REV_02", "0000", 1);
    SetNtFlags("pci\\ven_1260&dev_3873&rev_01", "0000", 0);
    EXPECT_FALSE(discovery.IsAdapterEnabled(key));
    registry.CloseKey(key);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(DiscoveryTest, PciDeviceKeyStatus) {
    meru::RegistryKey opened = 0;
    EXPECT_EQ(discovery.OpenPciDeviceKey("pci\\ven_1260", opened), meru::kRegistryNotFound);  // no pci key
    registry.CreateKey(meru::kLocalMachine, kProfileEnumNt + "pci\\VEN_1000");
    EXPECT_EQ(discovery.OpenPciDeviceKey("pci\\ven_1260", opened), meru::kRegistryNotFound);  // no match
    // An identity with nothing after "pci" and its separator matches nothing.
    EXPECT_EQ(discovery.OpenPciDeviceKey("pci", opened), meru::kRegistryNotFound);
    EXPECT_EQ(discovery.OpenPciDeviceKey("pci\\", opened), meru::kRegistryNotFound);
    ASSERT_EQ(discovery.OpenPciDeviceKey("pci\\VEN_10", opened), 0);
    registry.CloseKey(opened);
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

}  // namespace
