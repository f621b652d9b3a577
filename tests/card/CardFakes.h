#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "card/Overlapped.h"
#include "card/ProgressBar.h"

namespace cardtest {

// Events as plain numbers; creation can be made to fail.
class FakeOverlappedEvents : public meru::OverlappedEvents {
public:
    meru::EventRef Create() override {
        if (failCreate) return nullptr;
        ++created;
        return reinterpret_cast<meru::EventRef>(static_cast<uintptr_t>(0x100 + created));
    }
    void Reset(meru::EventRef event) override { resets.push_back(event); }
    void Close(meru::EventRef event) override { closed.push_back(event); }

    bool failCreate = false;
    int created = 0;
    std::vector<meru::EventRef> resets;
    std::vector<meru::EventRef> closed;
};

// Every message a progress bar received.
class RecordingProgressBar : public meru::ProgressBar {
public:
    struct Message {
        unsigned message;
        uintptr_t wParam;
        intptr_t lParam;
        bool operator==(const Message& other) const {
            return message == other.message && wParam == other.wParam && lParam == other.lParam;
        }
    };
    void Send(unsigned message, uintptr_t wParam, intptr_t lParam) override {
        messages.push_back({message, wParam, lParam});
    }
    std::vector<Message> messages;
};

}  // namespace cardtest
