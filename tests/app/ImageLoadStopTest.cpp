#include "app/ImageLoadStop.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "WindowRig.h"
#include "base/ProcessExit.h"
#include "sim/CardProtocol.h"
#include "support/LogCapture.h"
#include "support/RecordingMessageBoxes.h"
#include "support/TempDir.h"

namespace {

using apptest::WindowRig;
using meru::ImageLoadError;

struct Ended {
    int code;
};

// What each reason a load gives leads to, shown by the application.
TEST(ImageLoadStop, BoxesAndTheEndByReason) {
    struct Case {
        ImageLoadError error;
        std::string box;  // caption:text, "" for none
        int endCode;      // -1: the program goes on
    };
    const Case cases[] = {
        {ImageLoadError::kNone, "", -1},
        {ImageLoadError::kFileNotFound, "", -1},
        {ImageLoadError::kBadRecord, "", -1},
        {ImageLoadError::kNoExecutionAddress, "", -1},
        {ImageLoadError::kResourceMissing, "Firmware Resource Not Found.:Internal Error - Resource could not be loaded.",
         -1},
        {ImageLoadError::kImageTooLarge, "Internal Error.:Memory allocation error. Cannot continue", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.error));
        testsupport::LogCapture log;
        testsupport::RecordingMessageBoxes boxes;
        meru::SetEndProcessHook([](int code) { throw Ended{code}; });
        int endCode = -1;
        try {
            meru::ShowImageLoadStop({c.error, 12});
        } catch (const Ended& ended) {
            endCode = ended.code;
        }
        meru::SetEndProcessHook(nullptr);
        EXPECT_EQ(endCode, c.endCode);
        if (c.box.empty()) {
            EXPECT_TRUE(boxes.boxes.empty());
        } else {
            ASSERT_EQ(boxes.boxes.size(), 1u);
            EXPECT_EQ(boxes.boxes[0].caption + ":" + boxes.boxes[0].text, c.box);
            EXPECT_EQ(boxes.boxes[0].type, meru::kBoxOk);
        }
    }
}

// S3 records of 32 bytes from address 0 on, more than an image holds, and
// the execution address record.
std::string OversizedImageText(uint32_t bytes) {
    std::string text;
    char line[96];
    for (uint32_t address = 0; address < bytes; address += 32) {
        unsigned sum = 37 + (address >> 24) + ((address >> 16) & 0xFF) + ((address >> 8) & 0xFF) + (address & 0xFF);
        int used = std::snprintf(line, sizeof line, "S325%08X", static_cast<unsigned>(address));
        for (unsigned i = 0; i < 32; ++i) {
            const unsigned value = (address + i) & 0xFF;
            sum += value;
            used += std::snprintf(line + used, sizeof line - used, "%02X", value);
        }
        std::snprintf(line + used, sizeof line - used, "%02X\n", ~sum & 0xFF);
        text += line;
    }
    return text + "S70500000000FA\n";
}

// A file too large for an image: the quiet update logs the box, ends with
// exit code 1 and nothing reaches the card.
TEST(ImageLoadStop, AnImageTooLargeStopsTheQuietUpdateWithItsBoxAndNothingWritten) {
    testsupport::TempDir dir;
    const std::string big = dir.File("BIG.HEX");
    testsupport::WriteWholeFile(big, OversizedImageText(256 * 1024));
    WindowRig rig(1, WindowRig::kPlatform, apptest::OlderCard());
    EXPECT_EQ(rig.RunToEnd([&] { rig.Start({"-quiet", big}); }), 1);
    EXPECT_NE(rig.log.Text().find("Internal Error.:Memory allocation error. Cannot continue\n"), std::string::npos)
        << rig.log.Text();
    EXPECT_EQ(rig.Requests(sim::kOidDownload), 0u);
}

}  // namespace
