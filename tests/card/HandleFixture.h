#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "support/NoticeBoxes.h"
#include "CardFakes.h"
#include "CardRegistry.h"
#include "ScriptedLibrary.h"
#include "card/AdapterHandle.h"
#include "support/LogCapture.h"
#include "support/RecordingMessageBoxes.h"

namespace cardtest {

// A Windows 2000 system with one enabled VELOX adapter at class index 0,
// a scripted library and card, and recorded boxes and log.
class HandleFixture : public ::testing::Test {
protected:
    HandleFixture() {
        registry.SetString(meru::kLocalMachine, kClassKey2000 + "\\0000", "MatchingDeviceId", "root\\velox");
        library.adapters["0000"] = {"VELOX 11Mb PC Card", "{8E1B2C3D-0000-4A5B-9C8D-112233445566}"};
        SetMacType(2);
        handle.SetSleepHook([this](uint32_t milliseconds) { sleeps.push_back(milliseconds); });
    }

    void SetMacType(uint16_t macType) { library.SetRecord(meru::RID_MAC_IDENTITY, {0x0001, 0x0000, macType}); }

    // Opens the adapter and forgets the requests that took.
    void OpenAndForget(bool identify = true) {
        ASSERT_TRUE(handle.Open(0, identify));
        library.sent.clear();
    }

    testsupport::LogCapture log;
    testsupport::RecordingMessageBoxes boxes;
    sim::MemoryRegistry registry;
    ScriptedLibrary library;
    FakeOverlappedEvents events;
    meru::AdapterHandle handle{library, registry, events, testsupport::NoticesAsBoxes()};
    std::vector<uint32_t> sleeps;
};

}  // namespace cardtest
