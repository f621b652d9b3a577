#include "base/ReportBox.h"

#include <gtest/gtest.h>

#include "base/ProcessExit.h"
#include "support/LogCapture.h"
#include "support/RecordingMessageBoxes.h"

namespace {

TEST(ReportBox, LogsCaptionAndTextThenShowsTheBox) {
    testsupport::LogCapture log;
    testsupport::RecordingMessageBoxes boxes;
    boxes.answers.push_back(meru::kAnswerYes);
    EXPECT_EQ(meru::ReportBox(nullptr, "Error programming block. Continue anyway?", "Programming error.",
                              meru::kBoxYesNo),
              meru::kAnswerYes);
    EXPECT_EQ(meru::ReportBox(nullptr, "Could not read from Aux Port", nullptr, meru::kBoxOk), meru::kAnswerOk);
    EXPECT_EQ(log.Text(),
              "Programming error.:Error programming block. Continue anyway?\n"
              "Could not read from Aux Port\n");
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].type, meru::kBoxYesNo);
    EXPECT_EQ(boxes.boxes[1].caption, "(none)");
}

TEST(ReportBox, QuietModeOnlyLogsAndAnswersCancel) {
    testsupport::LogCapture log;
    testsupport::RecordingMessageBoxes boxes;
    meru::QuietMessageBoxes quiet;  // what a quiet session installs in place of the real boxes
    meru::SetMessageBoxPort(&quiet);
    EXPECT_EQ(meru::ReportBox(nullptr, "Update not attempted.", "Card Communication Failed", 0),
              meru::kAnswerCancel);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(log.Text(), "Card Communication Failed:Update not attempted.\n");
    meru::SetMessageBoxPort(&boxes);
}

TEST(EndProcess, FlushesTheLogAndCallsTheHook) {
    testsupport::LogCapture log;
    struct Ended {
        int code;
    };
    meru::SetEndProcessHook([](int code) { throw Ended{code}; });
    meru::LogPrintf("before the end\n");
    try {
        meru::EndProcess(1);
        FAIL() << "EndProcess returned";
    } catch (const Ended& ended) {
        EXPECT_EQ(ended.code, 1);
    }
    meru::SetEndProcessHook(nullptr);
    EXPECT_EQ(testsupport::ReadWholeFile(log.Path()), "before the end\n");
}

}  // namespace
