// The main window's life: initialisation, the command table, the cancel and
// OK paths, and the pieces of state every handler shares.
#include "app/MainWindow.h"

#include <algorithm>
#include <ctime>

#include "app/CommandLine.h"
#include "app/MaintenanceTools.h"
#include "app/RepeatPasses.h"
#include "app/ResourceIds.h"
#include "app/Version.h"
#include "base/ReportBox.h"
#include "base/SessionLog.h"
#include "image/Catalogue.h"

namespace meru {

namespace {

// File paths are read back into buffers of this many characters.
constexpr size_t kPathCapacity = 250;

// A path that would not fit those buffers with its terminating NUL.
bool PathTooLong(const std::string& path) { return path.size() >= kPathCapacity; }

const char kLibraryMissingText[] = "Could not find/load the necessary system files. Functionality is disabled.";
const char kReadyToCopyText[] =
    "MERU is ready to copy firmware into your high speed Wireless LAN adapter.  Please click continue to "
    "perform the update.  Please click cancel to skip the update.";
const char kCautionText[] =
    "You must:\r\n- Close all other programs before proceeding.\r\n- Maintain AC power during the firmware "
    "update.\r\n- Permit programming to proceed without interruption.\r\nProgramming failure may leave the "
    "adapter card in an inoperable state!";

}  // namespace

MainWindow::MainWindow(const Ports& ports, RunOptions options)
    : view_(ports.view),
      system_(ports.system),
      discovery_(ports.library, ports.registry),
      adapter_(ports.library, ports.registry, ports.events,
               [this](const CardNotice& notice) { ReportBox(view_.Owner(), notice.text, notice.caption, notice.type); }),
      options_(std::move(options)) {}

MainWindow::~MainWindow() {
    if (CurrentMessageBoxPort() == &quietBoxes_) SetMessageBoxPort(portBeforeQuiet_);
}

void MainWindow::Initialise() {
    TheSessionLog().SetEnabled(true);
    SetStatusColour(kColourBlack);
    SetStatus("");
    ShowFiles();

    view_.SetTitle(MERU_WINDOW_TITLE);
    texts_.version = ShortVersionText();
    texts_.forceAllBlocks = true;
    // Every written block is read back: a block the card acknowledged but
    // stored otherwise must fail the run, not end it "Update Successful!".
    texts_.verifyDownloads = true;
    PushState();
    cursor_ = Cursor::kArrow;
    view_.SetCursor(cursor_);

    if (!adapter_.CheckLibrary()) {
        // Nothing else happens: no command line, no card, no quiet run.
        SetStatusColour(kColourRed);
        SetStatus(kLibraryMissingText);
        ShowContinue(false);
        view_.SetCancelText("Exit");
        view_.ShowWindow(true);
        return;
    }
    phase_ = WindowPhase::kReady;

    view_.UseBoxFont();
    SetStatus(kReadyToCopyText);
    view_.SetCautionText(kCautionText);
    // The command line takes effect here, not before: without the library
    // "-quiet" changes nothing and the window stays open.
    if (options_.quiet) {
        portBeforeQuiet_ = CurrentMessageBoxPort();
        SetMessageBoxPort(&quietBoxes_);
    }
    ApplyCommandLine(options_.arguments, [this](const std::string& path) { AddFile(path, 0); });
    if (options_.restorePda) {
        RunPdaRestore();
        if (options_.quiet) return;
    }
    if (CheckReadiness() != 0) ShowContinue(true);
    LogTimeLine();

    PushState();
    if (!options_.quiet) view_.ShowWindow(true);
    if (options_.manifest) ShowManifest();
    if (options_.quiet) RunQuietLoop();
}

void MainWindow::OnCommand(int commandId) {
    switch (commandId) {
    case IDC_CONTINUE:
        if (phase_ != WindowPhase::kNoLibrary && !RunUnderWay()) RunGuardedUpdate();
        return;
    case IDC_CANCEL:
    case IDC_QUIT:
        OnCancel();
        return;
    case 1:  // the dialog's OK command (Enter)
        OnOk();
        return;
    case IDM_ADD_FILE: {
        std::string path;
        if (view_.AskFileToAdd(path)) OfferFile(path);
        return;
    }
    case IDC_CLOSE_ADAPTER:
        ResetToNoAdapter();
        return;
    case IDC_DETECT_ADAPTERS:
        ResetToNoAdapter();
        DetectAdapters(false);
        return;
    default:
        if (tools_ != nullptr && phase_ != WindowPhase::kNoLibrary) tools_->HandleCommand(*this, commandId);
        return;
    }
}

bool MainWindow::OnSystemCommand(int commandId) {
    if (commandId == IDM_ABOUT) {
        view_.ShowAboutBox();
        return true;
    }
    if (commandId == IDM_REGISTER_HEX || commandId == IDM_REGISTER_PDA) {
        if (tools_ != nullptr) tools_->HandleSystemCommand(*this, commandId);
        return true;
    }
    return false;
}

void MainWindow::OnAdapterListSelection(int position) {
    if (position < 0 || position >= static_cast<int>(adapterNames_.size())) return;
    listSelection_ = position;
    SelectAdapter();
}

void MainWindow::OnCheckBoxes(bool forceAllBlocks, bool verifyDownloads) {
    texts_.forceAllBlocks = forceAllBlocks;
    texts_.verifyDownloads = verifyDownloads;
}

// A box shown during an update lets messages through; files handed over or
// dropped meanwhile wait until the run is over, so that the run's list does
// not change under it.
void MainWindow::OnHandedOverFile(const std::string& path) {
    if (RunUnderWay()) {
        filesArrivedDuringRun_.push_back(path);
        return;
    }
    OfferFile(path);
}

void MainWindow::OnFilesDropped(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) OnHandedOverFile(path);
}

void MainWindow::OnFileListRightClick(const std::vector<int>& selected) {
    if (RunUnderWay()) return;
    // At most 20 selected entries are taken, as the list view reports them.
    std::vector<int> positions(selected.begin(), selected.begin() + std::min<size_t>(selected.size(), 20));
    files_.Remove(positions);
    ShowFiles();
}

void MainWindow::OnCancel() {
    if (phase_ == WindowPhase::kProgramming) return;
    view_.EndDialog(false);
}

void MainWindow::OnOk() { view_.EndDialog(true); }

void MainWindow::OfferFile(const std::string& path) {
    if (PathTooLong(path)) {
        // Left out of the list, like a file the user did not offer; the
        // list and the next update stay as they were.
        ReportBox(view_.Owner(), ("File path too long; it cannot be queued: " + path).c_str(), "Error",
                  kBoxIconStop);
        return;
    }
    AddFile(path, 0);
}

void MainWindow::AddFile(const std::string& path, unsigned resourceId) {
    if (PathTooLong(path)) {
        // A file of the command line: told once, however often it is
        // entered again; it stops every run, so that no default image is
        // written in its place.
        if (std::find(refusedFiles_.begin(), refusedFiles_.end(), path) != refusedFiles_.end()) return;
        refusedFiles_.push_back(path);
        ReportBox(view_.Owner(), ("File path too long; it cannot be queued: " + path).c_str(), "Error",
                  kBoxIconStop);
        return;
    }
    files_.Insert(ClassifyFile(path, resourceId));
    ShowFiles();
}

void MainWindow::SetStatus(const std::string& text) {
    view_.SetStatusText(text);
}

void MainWindow::SetStatusColour(uint32_t colour) {
    statusColour_ = colour;
    view_.SetStatusColour(colour);
}

void MainWindow::ShowContinue(bool enabled) {
    view_.SetContinueText(phase_ == WindowPhase::kNotReady ? "Retry" : "Continue");
    view_.EnableContinue(enabled);
}

void MainWindow::ShowUnlessQuiet() {
    if (!options_.quiet) view_.ShowWindow(true);
}

void MainWindow::PushState() { view_.PushDisplayTexts(texts_); }

void MainWindow::ShowFiles() { view_.ShowFileList(files_.Entries()); }

void MainWindow::ClearGrid() {
    for (int i = 0; i < kGridFieldCount; ++i) view_.SetGridField(static_cast<GridField>(i), "");
}

void MainWindow::LogTimeLine() {
    const std::tm now = system_.LocalTime();
    char line[160];
    if (std::strftime(line, sizeof line, "Time of MERU execution: %A, %B %d, %Y  %H:%M:%S\n", &now) == 0) {
        line[0] = '\0';
    }
    LogPrintf("%s", line);
    LogPrintf("\n");
}

// A quiet restore ends the session with its result; after an interactive
// one the window goes on as at any start, showing the card as it now is.
void MainWindow::RunPdaRestore() {
    const PdaRestoreRequest request{options_.restorePdaPath, !options_.quiet, options_.otherMacOk};
    const bool restored = tools_ != nullptr && tools_->RestorePda(*this, request);
    if (!options_.quiet) return;
    LogTimeLine();
    view_.EndDialog(restored);
}

void MainWindow::ShowManifest() { ReportBox(view_.Owner(), ManifestText().c_str(), nullptr, kBoxOk); }

void MainWindow::RunGuardedUpdate() {
    BeginPass();
    const bool afterRetry = phase_ == WindowPhase::kNotReady;
    phase_ = WindowPhase::kRunning;
    RunUpdate(afterRetry);
    // A run that stopped before the checks' end leaves the window ready.
    if (phase_ == WindowPhase::kRunning) phase_ = WindowPhase::kReady;
    std::vector<std::string> arrived;
    arrived.swap(filesArrivedDuringRun_);
    for (const std::string& path : arrived) OfferFile(path);
}

void MainWindow::RunQuietLoop() {
    const RepeatRules rules{options_.repeat, options_.repeatCount, options_.delay, options_.delaySeconds};
    const std::vector<PassResult> results = RepeatPasses(
        rules,
        [this] {
            RunGuardedUpdate();
            ReportPass();
            return passResult_;
        },
        [this](uint32_t milliseconds) { system_.Sleep(milliseconds); });
    view_.EndDialog(EveryPassSucceeded(results));
}

}  // namespace meru
