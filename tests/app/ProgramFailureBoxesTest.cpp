#include "app/ProgramFailureBoxes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/LogCapture.h"
#include "support/RecordingMessageBoxes.h"

namespace {

using Outcome = meru::ProgramResult::Outcome;

// The boxes an image that was not written leads to, shown by the
// application from what the card layer returned.
TEST(ProgramFailureBoxes, FromTheCardLayersResult) {
    struct Case {
        const char* name;
        Outcome outcome;
        bool quiet;
        std::vector<testsupport::RecordingMessageBoxes::Box> boxes;  // shown (none when quiet)
        std::string log;
    };
    const Case cases[] = {
        {"protocols not blocked", Outcome::kProtocolsNotBlocked, false,
         {{"Attempt to block protocols failed.", "Setup Error", 0u},
          {"Update not attempted.", "Card Communication Failed", 0u}},
         "Setup Error:Attempt to block protocols failed.\nCard Communication Failed:Update not attempted.\n"},
        {"aux port not enabled", Outcome::kAuxNotEnabled, false,
         {{"Enable Aux failed.", "Setup Error", 0u}, {"Update not attempted.", "Card Communication Failed", 0u}},
         "Setup Error:Enable Aux failed.\nCard Communication Failed:Update not attempted.\n"},
        {"failed block, interactive: the run ends silently", Outcome::kBlockFailed, false, {}, ""},
        {"failed block, quiet: the question is logged and answered Cancel", Outcome::kBlockFailed, true, {},
         "Programming error.:Error programming block. Continue anyway?\n"},
        {"written", Outcome::kWritten, true, {}, ""},
        {"closed handle", Outcome::kNotOpen, false, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::LogCapture log;
        testsupport::RecordingMessageBoxes boxes;
        meru::QuietMessageBoxes quiet;
        if (c.quiet) meru::SetMessageBoxPort(&quiet);
        meru::ProgramResult result;
        result.outcome = c.outcome;
        meru::ShowProgramFailure(nullptr, result, c.quiet);
        ASSERT_EQ(boxes.boxes.size(), c.boxes.size());
        for (size_t i = 0; i < c.boxes.size(); ++i) {
            EXPECT_EQ(boxes.boxes[i].text, c.boxes[i].text);
            EXPECT_EQ(boxes.boxes[i].caption, c.boxes[i].caption);
            EXPECT_EQ(boxes.boxes[i].type, c.boxes[i].type);
        }
        EXPECT_EQ(log.Text(), c.log);
    }
}

}  // namespace
