#include <gtest/gtest.h>

#include "HandleFixture.h"

using namespace cardtest;
using meru::AdapterHandle;

namespace {

class AdapterHandleTest : public HandleFixture {};

TEST_F(AdapterHandleTest, NewHandleIsClosedAndSendsNothing) {
    EXPECT_FALSE(handle.IsOpen());
    EXPECT_EQ(handle.LibraryHandle(), -1);
    EXPECT_EQ(handle.MacType(), 0);
    EXPECT_EQ(handle.PdaAddress(), 0u);
    uint8_t mac[6] = {};
    meru::RidRecord record;
    meru::AuxRecord aux;
    EXPECT_FALSE(handle.EnableAux());
    EXPECT_FALSE(handle.BlockProtocols(true));
    EXPECT_FALSE(handle.ConcludeSession());
    EXPECT_FALSE(handle.CheckDriver());
    EXPECT_EQ(handle.QueryDriverVersion(), 0u);
    EXPECT_FALSE(handle.ShowVendorDescription());
    EXPECT_FALSE(handle.ReadRecord(record, meru::RID_PRIMARY_IDENTITY));
    EXPECT_FALSE(handle.AuxRead(aux));
    EXPECT_FALSE(handle.ReadPermanentAddress(mac));
    EXPECT_FALSE(handle.AuxWrite(aux));
    EXPECT_FALSE(handle.PrepareDownload());
    handle.Close();
    EXPECT_TRUE(library.sent.empty());
    EXPECT_TRUE(library.closedHandles.empty());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(AdapterHandleTest, OpenUsesTheDeviceNameCreatesTheEventAndEnablesAux) {
    ASSERT_TRUE(handle.Open(0, false));
    EXPECT_TRUE(handle.IsOpen());
    EXPECT_EQ(handle.LibraryHandle(), 7);
    EXPECT_EQ(library.openedNames, (std::vector<std::string>{"\\Device\\{8E1B2C3D-0000-4A5B-9C8D-112233445566}"}));
    EXPECT_EQ(events.created, 1);
    ASSERT_EQ(library.sent.size(), 1u);
    EXPECT_EQ(library.sent[0].oid, meru::OID_CARD_ENABLE_AUX);
    EXPECT_EQ(library.sent[0].type, meru::kRequestSet);
    EXPECT_FALSE(library.sent[0].hasBuffer);
    EXPECT_EQ(library.sent[0].length, 0u);
    EXPECT_EQ(library.sent[0].overlapped, &handle.Overlapped());
    EXPECT_NE(handle.Overlapped().event, nullptr);
    EXPECT_EQ(handle.MacType(), 0);  // not identified
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(AdapterHandleTest, OpenOnAnOpenHandleTouchesNeitherRegistryNorCard) {
    OpenAndForget();
    const size_t registryReads = registry.OpenLog().size();
    EXPECT_TRUE(handle.Open(0, true));
    EXPECT_TRUE(handle.Open(5, true));
    EXPECT_EQ(registry.OpenLog().size(), registryReads);
    EXPECT_TRUE(library.sent.empty());
    EXPECT_EQ(library.openedNames.size(), 1u);
    EXPECT_EQ(events.created, 1);
}

TEST_F(AdapterHandleTest, CloseReleasesAdapterAndEventOnceKeepingTheLayout) {
    OpenAndForget(true);
    ASSERT_EQ(handle.MacType(), 2);
    const meru::EventRef event = handle.Overlapped().event;
    handle.Close();
    handle.Close();
    EXPECT_FALSE(handle.IsOpen());
    EXPECT_EQ(library.closedHandles, (std::vector<int32_t>{7}));
    EXPECT_EQ(events.closed, (std::vector<meru::EventRef>{event}));
    EXPECT_EQ(handle.MacType(), 2);
    EXPECT_EQ(handle.PdaAddress(), 0x7F0000u);
    handle.IdentifyCard();  // nothing to ask a closed handle
    EXPECT_EQ(handle.MacType(), 2);
    EXPECT_EQ(handle.PdaAddress(), 0x7F0000u);
}

TEST_F(AdapterHandleTest, DestroyingAnOpenHandleClosesTheAdapter) {
    {
        AdapterHandle local(library, registry, events);
        ASSERT_TRUE(local.Open(0, false));
    }
    EXPECT_EQ(library.closedHandles, (std::vector<int32_t>{7}));
}

TEST_F(AdapterHandleTest, OpenFailsSilentlyPastTheLastSubkeyOrWhenDisabledOrRefused) {
    EXPECT_FALSE(handle.Open(1, false));  // index past the last subkey
    EXPECT_TRUE(library.openedNames.empty());
    EXPECT_EQ(library.lastErrorCalls, 1);  // fetched, not shown

    SetInstanceFlags(registry, meru::kLocalMachine, kProfileEnumNt + "root\\velox", "0000", 1);
    EXPECT_FALSE(handle.Open(0, false));
    EXPECT_TRUE(library.openedNames.empty());
    EXPECT_NE(log.Text().find("Disabled adapter detected.\n"), std::string::npos);
    EXPECT_EQ(library.lastErrorCalls, 1);  // refused before the library is asked

    registry.DeleteKey(meru::kLocalMachine, kProfileEnumNt + "root\\velox");
    library.openResult = -1;
    EXPECT_FALSE(handle.Open(0, false));
    EXPECT_EQ(library.openedNames.size(), 1u);
    EXPECT_EQ(library.lastErrorCalls, 2);
    EXPECT_FALSE(handle.IsOpen());

    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_TRUE(library.sent.empty());
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(AdapterHandleTest, MissingClassKeyFailsWithoutOpening) {
    registry.DeleteKey(meru::kLocalMachine, kClassKey2000);
    EXPECT_FALSE(handle.Open(0, false));
    EXPECT_TRUE(library.openedNames.empty());
}

TEST_F(AdapterHandleTest, LongDeviceNameIsCutToSeventyNineCharacters) {
    library.adapters["0000"].deviceName = std::string(72, 'D') + "TAIL";
    ASSERT_TRUE(handle.Open(0, false));
    ASSERT_EQ(library.openedNames.size(), 1u);
    EXPECT_EQ(library.openedNames[0], "\\Device\\" + std::string(71, 'D'));
    EXPECT_EQ(library.openedNames[0].size(), 79u);
}

TEST_F(AdapterHandleTest, Windows95AndNt4OpenByTheirOwnClassKeys) {
    registry.SetString(meru::kLocalMachine, kClassKey95 + "\\0000", "MatchingDeviceId", "PCMCIA\\VELOX");
    library.nt = false;
    ASSERT_TRUE(handle.Open(0, false));
    EXPECT_EQ(library.openedNames.back(), "0000");  // the subkey name itself
    handle.Close();

    library.nt = true;
    library.platformVersion = 4;
    registry.CreateKey(meru::kLocalMachine, kClassKeyNt4 + "\\1");
    library.adapters["1"] = {"VELOX", "Velox1"};
    ASSERT_TRUE(handle.Open(0, false));
    EXPECT_EQ(library.openedNames.back(), "\\Device\\Velox1");
}

TEST_F(AdapterHandleTest, SubkeyNameThatDoesNotFitSixteenCharactersIsNoAdapter) {
    registry.DeleteKey(meru::kLocalMachine, kClassKey2000 + "\\0000");
    registry.CreateKey(meru::kLocalMachine, kClassKey2000 + "\\" + std::string(16, 'K'));
    EXPECT_FALSE(handle.Open(0, false));
    EXPECT_TRUE(library.openedNames.empty());
}

TEST_F(AdapterHandleTest, FailedEventCreationReportsAndClosesTheAdapter) {
    events.failCreate = true;
    EXPECT_FALSE(handle.Open(0, true));
    EXPECT_FALSE(handle.IsOpen());
    EXPECT_EQ(library.closedHandles, (std::vector<int32_t>{7}));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Could not create Overlapped Event");
    EXPECT_EQ(boxes.boxes[0].caption, "Error");
    EXPECT_EQ(boxes.boxes[0].type, 0u);
    EXPECT_TRUE(library.sent.empty());
}

TEST_F(AdapterHandleTest, RefusedEnableAuxClosesWithoutIdentifying) {
    library.refused[meru::OID_CARD_ENABLE_AUX] = kStatusFailure;
    EXPECT_FALSE(handle.Open(0, true));
    EXPECT_FALSE(handle.IsOpen());
    EXPECT_EQ(library.closedHandles, (std::vector<int32_t>{7}));
    EXPECT_EQ(library.Oids(), (std::vector<uint32_t>{meru::OID_CARD_ENABLE_AUX}));
    EXPECT_EQ(events.closed.size(), 1u);
    EXPECT_TRUE(boxes.boxes.empty());
}

struct LibraryCheckCase {
    uint32_t code;
    bool result;
    const char* text;
    const char* caption;
};

TEST_F(AdapterHandleTest, LibraryCheckCodes) {
    const char* privileges =
        "The system reports that you have insufficient privileges to load the required driver. \r\n\r\n 1. You may "
        "need to log on as an administrator.\r\n\r\n 2. Ensure the system files are not being accessed from a "
        "network drive. (search for \"KBW32N50\" in the registry)";
    const LibraryCheckCase cases[] = {
        {6, true, nullptr, nullptr},
        {0x106, true, nullptr, nullptr},
        {5, false, privileges, "Startup Error"},
        {2, false, "Error loading system files: File Not Found.", "Startup Error"},
        {0x1F, false, "W32N error code: 1F", "Unable to load necessary system files."},
        {0xC0000105, false, "W32N error code: C0000105", "Unable to load necessary system files."},
    };
    library.openResult = -1;
    for (const LibraryCheckCase& c : cases) {
        SCOPED_TRACE(c.code);
        boxes.boxes.clear();
        library.lastError = c.code;
        EXPECT_EQ(handle.CheckLibrary(), c.result);
        EXPECT_EQ(library.openedNames.back(), "Check for VXD...");
        if (c.text == nullptr) {
            EXPECT_TRUE(boxes.boxes.empty());
        } else {
            ASSERT_EQ(boxes.boxes.size(), 1u);
            EXPECT_EQ(boxes.boxes[0].text, c.text);
            EXPECT_EQ(boxes.boxes[0].caption, c.caption);
            EXPECT_EQ(boxes.boxes[0].type, 0x10u);
        }
    }
    EXPECT_FALSE(handle.IsOpen());
}

TEST_F(AdapterHandleTest, DriverCheckStatuses) {
    OpenAndForget();
    EXPECT_TRUE(handle.CheckDriver());
    ASSERT_EQ(library.sent.size(), 1u);
    EXPECT_EQ(library.sent[0].oid, meru::OID_CARD_DRIVER_CHECK);
    EXPECT_EQ(library.sent[0].type, meru::kRequestQuery);
    EXPECT_EQ(library.sent[0].bytes, std::vector<uint8_t>(8, 0));

    library.scripted[meru::OID_CARD_DRIVER_CHECK] = {0xC0000001};
    EXPECT_FALSE(handle.CheckDriver());
    EXPECT_TRUE(boxes.boxes.empty());

    library.scripted[meru::OID_CARD_DRIVER_CHECK] = {meru::kNdisStatusInvalidOid};
    EXPECT_FALSE(handle.CheckDriver());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              "Your current WLAN driver does not support this version of MERU. You may need to upgrade the driver.");
    EXPECT_EQ(boxes.boxes[0].caption, "Incompatible Driver Error");
    EXPECT_EQ(boxes.boxes[0].type, 0x30u);
}

TEST_F(AdapterHandleTest, CommandRequestsAreBufferlessSets) {
    OpenAndForget();
    EXPECT_TRUE(handle.EnableAux());
    EXPECT_TRUE(handle.BlockProtocols(true));
    EXPECT_TRUE(handle.BlockProtocols(false));
    EXPECT_TRUE(handle.ConcludeSession());
    EXPECT_EQ(library.Oids(), (std::vector<uint32_t>{meru::OID_CARD_ENABLE_AUX, meru::OID_CARD_BLOCK_PROTOCOLS,
                                                     meru::OID_CARD_UNBLOCK_PROTOCOLS, meru::OID_CARD_CONCLUDE}));
    for (const SentRequest& request : library.sent) {
        EXPECT_EQ(request.type, meru::kRequestSet);
        EXPECT_FALSE(request.hasBuffer);
        EXPECT_EQ(request.length, 0u);
    }
    library.refused[meru::OID_CARD_CONCLUDE] = kStatusFailure;
    EXPECT_FALSE(handle.ConcludeSession());
    EXPECT_EQ(handle.LastStatus(), kStatusFailure);
}

TEST_F(AdapterHandleTest, DriverVersionAndVendorDescription) {
    OpenAndForget();
    library.driverVersion = 0x8001020A;
    EXPECT_EQ(handle.QueryDriverVersion(), 0x8001020Au);
    EXPECT_EQ(library.sent.back().length, 4u);
    EXPECT_EQ(library.sent.back().bytes, std::vector<uint8_t>(4, 0));  // preset to 0
    library.refused[meru::OID_GEN_VENDOR_DRIVER_VERSION] = kStatusFailure;
    EXPECT_EQ(handle.QueryDriverVersion(), 0u);

    EXPECT_TRUE(handle.ShowVendorDescription());
    EXPECT_EQ(library.sent.back().oid, meru::OID_GEN_VENDOR_DESCRIPTION);
    EXPECT_EQ(library.sent.back().length, 260u);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "VELOX Wireless LAN Adapter");
    EXPECT_EQ(boxes.boxes[0].caption, "OID_GEN_VENDOR_DESCRIPTION");
    EXPECT_EQ(boxes.boxes[0].type, 0u);

    // A description filling the whole buffer is shown cut inside it.
    library.vendorDescription = std::string(300, 'V');
    EXPECT_TRUE(handle.ShowVendorDescription());
    EXPECT_EQ(boxes.boxes.back().text, std::string(259, 'V'));

    library.refused[meru::OID_GEN_VENDOR_DESCRIPTION] = kStatusFailure;
    EXPECT_FALSE(handle.ShowVendorDescription());
    EXPECT_EQ(boxes.boxes.size(), 2u);
}

// The card layer shows and logs nothing itself: its notices go to the
// sink its owner gave, in the order they happen, and nowhere without one.
TEST_F(AdapterHandleTest, NoticesGoOnlyToTheOwnersSink) {
    std::vector<std::string> told;
    meru::AdapterHandle owned{library, registry, events, [&told](const meru::CardNotice& notice) {
                                  told.push_back(std::string(notice.caption) + ":" + notice.text);
                              }};
    meru::AdapterHandle silent{library, registry, events};
    library.openResult = -1;
    library.lastError = 2;
    EXPECT_FALSE(owned.CheckLibrary());
    EXPECT_FALSE(silent.CheckLibrary());
    EXPECT_EQ(told, std::vector<std::string>{"Startup Error:Error loading system files: File Not Found."});
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(log.Text(), "");
}

}  // namespace
