#include "TimedMessages.h"

#include <cstdio>
#include <memory>

#include "DriverErrors.h"
#include "WindowFacts.h"

namespace meru::driver {

namespace {

constexpr UINT kAnswerMilliseconds = 5000;
// How much longer than SendMessageTimeout's own limit the worker may take.
constexpr DWORD kGraceMilliseconds = 500;

struct PendingMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool wide;
    std::vector<char> buffer;  // when not empty, it is the lParam
    DWORD_PTR result = 0;
    BOOL answered = FALSE;
};

DWORD WINAPI DeliverOnWorker(LPVOID context) {
    auto* pending = static_cast<PendingMessage*>(context);
    const LPARAM lParam =
        pending->buffer.empty() ? pending->lParam : reinterpret_cast<LPARAM>(pending->buffer.data());
    pending->answered =
        pending->wide ? SendMessageTimeoutW(pending->window, pending->message, pending->wParam, lParam,
                                            SMTO_ABORTIFHUNG, kAnswerMilliseconds, &pending->result) != 0
                      : SendMessageTimeoutA(pending->window, pending->message, pending->wParam, lParam,
                                            SMTO_ABORTIFHUNG, kAnswerMilliseconds, &pending->result) != 0;
    return 0;
}

DriverFailure NoAnswer(HWND window, UINT message) {
    char text[96];
    std::snprintf(text, sizeof text, "window %s did not answer message 0x%04X", HandleText(window).c_str(), message);
    return DriverFailure(text);
}

// Sends the message from a worker thread and hands it back answered. When the
// worker is still waiting at the deadline the message is left to it (the
// worker may still write into it) and DriverFailure is thrown.
std::unique_ptr<PendingMessage> Deliver(std::unique_ptr<PendingMessage> pending) {
    HANDLE worker = CreateThread(nullptr, 0, DeliverOnWorker, pending.get(), 0, nullptr);
    if (worker == nullptr) throw DriverFailure("cannot start a thread (error " + std::to_string(GetLastError()) + ")");
    const DWORD waited = WaitForSingleObject(worker, kAnswerMilliseconds + kGraceMilliseconds);
    CloseHandle(worker);
    if (waited != WAIT_OBJECT_0) {
        const PendingMessage* abandoned = pending.release();
        throw NoAnswer(abandoned->window, abandoned->message);
    }
    if (!pending->answered) throw NoAnswer(pending->window, pending->message);
    return pending;
}

}  // namespace

LRESULT SendWithTimeLimit(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto pending = std::make_unique<PendingMessage>(PendingMessage{window, message, wParam, lParam, false, {}});
    return static_cast<LRESULT>(Deliver(std::move(pending))->result);
}

LRESULT SendForText(HWND window, UINT message, WPARAM wParam, std::vector<char>& buffer, bool wide) {
    if (buffer.empty()) throw DriverFailure("empty text buffer");
    auto pending = std::make_unique<PendingMessage>(PendingMessage{window, message, wParam, 0, wide, buffer});
    std::unique_ptr<PendingMessage> answered = Deliver(std::move(pending));
    buffer = std::move(answered->buffer);
    return static_cast<LRESULT>(answered->result);
}

}  // namespace meru::driver
