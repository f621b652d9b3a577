#pragma once

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "base/ProcessExit.h"
#include "card/CardFakes.h"
#include "image/DirectoryResourceSource.h"
#include "sim/CardProtocol.h"
#include "sim/Fixture.h"
#include "sim/MemoryRegistry.h"
#include "sim/SoftwareCard.h"
#include "sim/SoftwareLibrary.h"
#include "support/ForwardingLibrary.h"
#include "support/LogCapture.h"
#include "support/RecordingMessageBoxes.h"

namespace apptest {

// A progress window that remembers what it showed.
class RecordingProgressWindow : public meru::ProgressWindowView {
public:
    explicit RecordingProgressWindow(std::vector<std::string>& lines) : lines_(lines) {}
    void CentreAndShow() override { lines_.push_back("(shown)"); }
    void SetLines(const std::string& progress, const std::string& adapter, const std::string& firmware) override {
        lines_.push_back(progress + "|" + adapter + "|" + firmware);
    }
    void PaintNow() override {}
    meru::ProgressBar& Bar() override { return bar; }
    cardtest::RecordingProgressBar bar;

private:
    std::vector<std::string>& lines_;
};

// A progress bar that also calls a hook at every message.
class HookedProgressBar : public cardtest::RecordingProgressBar {
public:
    void Send(unsigned message, uintptr_t wParam, intptr_t lParam) override {
        RecordingProgressBar::Send(message, wParam, lParam);
        if (hook) hook();
    }
    std::function<void()> hook;
};

// The main window as the tests see it: every text and switch it was last given.
class RecordingView : public meru::MainWindowView {
public:
    meru::WindowRef Owner() override { return nullptr; }
    void SetTitle(const std::string& text) override { title = text; }
    void SetStatusText(const std::string& text) override { status = text; }
    void SetStatusColour(uint32_t value) override { colour = value; }
    void SetCautionText(const std::string& text) override { caution = text; }
    void UseBoxFont() override { boxFont = true; }
    void SetGridField(meru::GridField field, const std::string& text) override {
        grid[static_cast<int>(field)] = text;
    }
    void ShowAfterProgrammingColumn(bool shown) override { afterColumnShown = shown; }
    void ShowCautionGroup(bool shown) override { cautionGroupShown = shown; }
    void SetContinueText(const std::string& text) override { continueText = text; }
    void EnableContinue(bool enabled) override { continueEnabled = enabled; }
    void SetCancelText(const std::string& text) override { cancelText = text; }
    void EnableCancel(bool enabled) override { cancelEnabled = enabled; }
    void FocusCancel() override { cancelFocused = true; }
    void ShowProgressBar(bool shown) override { progressShown = shown; }
    meru::ProgressBar& MainProgressBar() override { return progress; }
    void SetCursor(meru::Cursor value) override { cursor = value; }
    void ShowWindow(bool shown) override { windowShown = shown; }
    void EnableWindow(bool enabled) override { windowEnabled = enabled; }
    void RepaintNow() override {}
    void PushDisplayTexts(const meru::DisplayTexts& value) override { texts = value; }
    void ShowAdapterNameField(bool shown) override { adapterNameShown = shown; }
    void ShowAdapterList(const std::vector<std::string>& names, int selected) override {
        adapters = names;
        adapterSelection = selected;
    }
    void ShowFileList(const std::vector<meru::FileListRow>& value) override { rows = value; }
    void ShowAboutBox() override { ++aboutBoxes; }
    bool AskFileToAdd(std::string& path) override {
        path = fileToAdd;
        return !fileToAdd.empty();
    }
    std::unique_ptr<meru::ProgressWindowView> CreateProgressWindow() override {
        return std::make_unique<RecordingProgressWindow>(progressWindowLines);
    }
    void EndDialog(bool ok) override { ended = ok ? 1 : 0; }

    std::string title, status, caution, continueText = "Continue", cancelText = "Cancel";
    uint32_t colour = 0;
    std::string grid[meru::kGridFieldCount];
    bool afterColumnShown = true, cautionGroupShown = true, continueEnabled = true, cancelEnabled = true;
    bool cancelFocused = false, progressShown = false, windowShown = false, windowEnabled = true;
    bool adapterNameShown = false, boxFont = false;
    meru::Cursor cursor = meru::Cursor::kArrow;
    HookedProgressBar progress;
    meru::DisplayTexts texts;
    std::vector<std::string> adapters;
    int adapterSelection = -1;
    std::vector<meru::FileListRow> rows;
    int aboutBoxes = 0;
    std::string fileToAdd;
    std::vector<std::string> progressWindowLines;
    int ended = -1;  // -1 still open, 0 Cancel, 1 OK
};

class FakeSystem : public meru::SystemPort {
public:
    OsVersion Version() override { return os; }
    bool AcLineStatus(uint8_t& status) override {
        ++powerQueries;
        status = acStatus;
        return powerStatusKnown;
    }
    std::tm LocalTime() override {
        std::tm t{};
        t.tm_year = 126;
        t.tm_mon = 11;
        t.tm_mday = 8;
        t.tm_wday = 2;
        t.tm_hour = 6;
        t.tm_min = 5;
        t.tm_sec = 9;
        return t;
    }
    void Sleep(uint32_t milliseconds) override {
        slept.push_back(milliseconds);
        if (onSleep) onSleep();
    }

    OsVersion os;
    uint8_t acStatus = kAcOnline;
    bool powerStatusKnown = true;
    int powerQueries = 0;
    std::vector<uint32_t> slept;
    std::function<void()> onSleep;  // what changes while the program waits
};

// The card library with a log of the requests that pass through it, in
// order, and a hook called before each; refuseOpen, when set, is asked at
// every open and refuses it by answering true.
class RecordingLibrary : public testsupport::ForwardingLibrary {
public:
    using ForwardingLibrary::ForwardingLibrary;
    int32_t OpenAdapter(const char* name) override {
        if (refuseOpen && refuseOpen()) return meru::kNoLibraryHandle;
        return ForwardingLibrary::OpenAdapter(name);
    }
    std::vector<uint32_t> oids;
    std::vector<uint16_t> rids;  // the records read, in order
    std::function<void()> onRequest;
    std::function<bool()> refuseOpen;

private:
    void Observe(const meru::NdisRequest& request) override {
        oids.push_back(request.oid);
        if (request.oid == sim::kOidReadRid && request.buffer != nullptr && request.length >= 4) {
            const auto* bytes = static_cast<const uint8_t*>(request.buffer);
            rids.push_back(static_cast<uint16_t>(bytes[2] | (bytes[3] << 8)));
        }
        if (onRequest) onRequest();
    }
};

// Thrown by the process-exit hook instead of ending the test program.
struct ProcessEnded {
    int code;
};

// What a process leaves behind at its end. The shipped program ends a fatal
// path with std::exit, which runs no destructor (no AdapterSession closes
// the adapter then): the process-exit hook records this before it throws.
struct ProcessEnd {
    int exitCode = -1;        // -1: the window stays open
    size_t openAdapters = 0;  // handles the library holds open
    bool protocolsBlocked = false;
    bool powerLost = false;
    bool sessionConcluded = true;  // no protocol blocking without a conclusion sent after it
};

// A main window over the software card: one VELOX adapter (unless a test
// changes the registry) with a factory card, the catalogue read from the
// source tree, boxes recorded, the session log captured.
struct WindowRig {
    static constexpr uint16_t kPlatform = 0x0201;  // K1: PK010400 + SA010500 from the catalogue

    explicit WindowRig(int adapters = 1, uint16_t platform = kPlatform, const sim::FactoryOptions& options = {},
                       uint16_t macType = 2)
        : card(sim::SoftwareCard::Factory(macType, platform, options)) {
        for (int i = 0; i < adapters; ++i) adapter = fixture.AddVeloxAdapter();
        fixture.AddNonAdapterSubkey();
        meru::SetResourceSource(&resources);
        meru::SetEndProcessHook([this](int code) {
            RecordProcessEnd(code);
            throw ProcessEnded{code};
        });
        library.SetOs(fixture.Os());
        library.AttachCard(card);
    }
    ~WindowRig() {
        meru::SetResourceSource(nullptr);
        meru::SetEndProcessHook(nullptr);
    }

    // Creates the window as the program does (the command line read into
    // options, which the window keeps; a quiet one gives its own boxes) without
    // initialising it. args: the command line, program path first.
    meru::MainWindow& Create(const std::vector<std::string>& args) {
        const meru::RunOptions options = meru::ParseCommandLine(args);
        window = std::make_unique<meru::MainWindow>(
            meru::MainWindow::Ports{view, system, requests, registry, events},
            options);
        window->Adapter().SetSleepHook([](uint32_t) {});
        return *window;
    }
    // Creates the window and runs its initialisation (a quiet session ends in it).
    meru::MainWindow& Start(std::vector<std::string> args = {}) {
        args.insert(args.begin(), "meru.exe");
        Create(args);
        window->Initialise();
        return *window;
    }
    uint64_t Requests(uint32_t oid) const { return card.Counters().For(oid).requests; }

    // Runs `start` (Start, or a variant of it) until the process would end,
    // recording what it leaves behind in `processEnd`. The exit code: 0 or
    // 1, or -1 when the window stays open.
    int RunToEnd(const std::function<void()>& start) {
        try {
            start();
        } catch (const ProcessEnded& ended) {
            return ended.code;
        }
        RecordProcessEnd(view.ended < 0 ? -1 : view.ended == 1 ? 0 : 1);
        return processEnd.exitCode;
    }
    void RecordProcessEnd(int code) {
        processEnd.exitCode = code;
        processEnd.openAdapters = library.OpenHandleCount();
        processEnd.protocolsBlocked = card.State().session.protocolsBlocked;
        processEnd.powerLost = card.State().faults.PowerLostStatus().has_value();
        const auto block = std::find(requests.oids.rbegin(), requests.oids.rend(), sim::kOidBlockProtocols);
        processEnd.sessionConcluded = std::find(requests.oids.rbegin(), block, sim::kOidConclude) != block ||
                                      block == requests.oids.rend();
    }

    testsupport::LogCapture log;
    testsupport::RecordingMessageBoxes boxes;
    meru::DirectoryResourceSource resources{MERU_FIRMWARE_DIR};
    sim::MemoryRegistry registry;
    sim::AdapterFixture fixture{registry};
    sim::FixtureAdapter adapter;
    sim::SoftwareLibrary library{registry};
    RecordingLibrary requests{library};
    sim::SoftwareCard card;
    cardtest::FakeOverlappedEvents events;
    RecordingView view;
    FakeSystem system;
    std::unique_ptr<meru::MainWindow> window;
    ProcessEnd processEnd;
};

// A factory firmware identity of the given version.
inline sim::FactoryFirmware Firmware(const sim::FactoryFirmware& base, uint16_t major, uint16_t minor,
                                     uint16_t variant) {
    sim::FactoryFirmware firmware = base;
    firmware.major = major;
    firmware.minor = minor;
    firmware.variant = variant;
    return firmware;
}

// A factory card whose firmware (1.3.0 and 1.3.0) the catalogue upgrades.
inline sim::FactoryOptions OlderCard() {
    sim::FactoryOptions options;
    options.primary = Firmware(options.primary, 1, 3, 0);
    options.station = Firmware(options.station, 1, 3, 0);
    return options;
}

}  // namespace apptest
