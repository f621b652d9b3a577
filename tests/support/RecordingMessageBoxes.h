#pragma once

#include <deque>
#include <string>
#include <vector>

#include "base/ReportBox.h"

namespace testsupport {

// Records every box shown and answers from a script (OK when the script is empty).
class RecordingMessageBoxes : public meru::MessageBoxPort {
public:
    struct Box {
        std::string text;
        std::string caption;  // "(none)" for a box without caption
        unsigned type;
    };

    RecordingMessageBoxes() { meru::SetMessageBoxPort(this); }
    ~RecordingMessageBoxes() override { meru::SetMessageBoxPort(nullptr); }

    int Show(meru::WindowRef, const char* text, const char* caption, unsigned type) override {
        boxes.push_back({text, caption != nullptr ? caption : "(none)", type});
        if (answers.empty()) return meru::kAnswerOk;
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<Box> boxes;
    std::deque<int> answers;
};

}  // namespace testsupport
