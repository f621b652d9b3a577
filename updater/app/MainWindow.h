#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/FileList.h"
#include "app/MainWindowView.h"
#include "app/PassResult.h"
#include "app/RunOptions.h"
#include "app/RunState.h"
#include "app/SystemPort.h"
#include "app/ToolHost.h"
#include "app/UpdatePlan.h"
#include "base/ReportBox.h"
#include "card/AdapterDiscovery.h"
#include "card/AdapterHandle.h"
#include "image/Pda.h"

namespace meru {

class AdapterSession;
class FirmwareImage;
class ImageInfo;
class MaintenanceTools;
class SharedFile;
struct UpdateRun;

// The main window's controller: owns the adapter handle, the card's PDA,
// the adapter list, the file list and everything the window shows, and
// decides what every command does. It draws through a MainWindowView and
// asks the system through a SystemPort; the Win32 dialog only forwards its
// messages here.
class MainWindow : public ToolHost {
public:
    struct Ports {
        MainWindowView& view;
        SystemPort& system;
        AccessLibrary& library;
        Registry& registry;
        OverlappedEvents& events;
    };

    MainWindow(const Ports& ports, RunOptions options);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    void SetTools(MaintenanceTools* tools) { tools_ = tools; }
    // The file "-report" appends each quiet pass's result record to.
    void SetReportFile(SharedFile* file) { reportFile_ = file; }

    // --- messages the dialog forwards ---
    // The dialog was created: initialisation steps 1-15 (a quiet session
    // ends the dialog before this returns).
    void Initialise();
    // WM_COMMAND of a button, a menu id or the add-file command.
    void OnCommand(int commandId);
    // WM_SYSCOMMAND; false when the id is not the window's own (default handling).
    bool OnSystemCommand(int commandId);
    // Selection change in the adapter list box: position of the new selection.
    void OnAdapterListSelection(int position);
    // The check boxes "Force Update of All Blocks" and "Verify downloads to NVRAM".
    void OnCheckBoxes(bool forceAllBlocks, bool verifyDownloads);
    // A second start handed over one argument (WM_COPYDATA).
    void OnHandedOverFile(const std::string& path);
    // Files dropped on the window; each is offered like a handed-over one.
    void OnFilesDropped(const std::vector<std::string>& paths);
    // Right click on the file list: the positions of the selected entries.
    void OnFileListRightClick(const std::vector<int>& selected);
    // Cancel button, Escape, closing the window; ignored while updating.
    void OnCancel();
    // Enter: the dialog ends with OK.
    void OnOk();

    // --- what the dialog draws from ---
    Cursor CurrentCursor() const { return cursor_; }

    // --- the maintenance tools' host (ToolHost) ---
    bool OpenSelectedAdapter(bool checkDriver) override;
    OnlyAdapter OpenOnlyAdapter(std::string& name) override;
    void CloseAdapter() override { adapter_.Close(); }
    AdapterHandle& Adapter() override { return adapter_; }
    int32_t AdapterIndex() const override { return adapterIndex_; }
    Pda& CardPda() override { return cardPda_; }
    void RefreshPdaFields() override;
    const DisplayTexts& Texts() const override { return texts_; }
    WindowRef Owner() override { return view_.Owner(); }
    std::tm LocalTime() override { return system_.LocalTime(); }
    void ShowUnlessQuiet() override;

    // --- steps of the checks and the update, open to the tests that drive them one by one ---
    // Enters a file of the command line or the catalogue. A command-line
    // path too long to be taken stops every run of the session.
    void AddFile(const std::string& path, unsigned resourceId);
    void ResetToNoAdapter();
    bool CheckFileList();
    // Reads what the images are compared with from the open card and plans
    // the run on all of them at once; logs the comparisons and shows a
    // platform mismatch.
    UpdatePlan PlanAgainstCard(const std::vector<const ImageInfo*>& images, const PlanRules& rules);
    bool LoadEntryImage(int index, ImageInfo& info, FirmwareImage& image);
    bool CheckStationFitsPrimary(const std::vector<const ImageInfo*>& images, std::string& summary);
    int CheckReadiness();
    bool ProgramImage(FirmwareImage& image, bool station, const std::string& description, const std::string& path);

    // --- state ---
    const FileList& Files() const { return files_; }
    RunOutcome Outcome() const { return outcome_; }
    const RunOptions& Options() const { return options_; }

private:
    // Enters a file the user offers while the window is open (handed over,
    // dropped, chosen): one that cannot be taken is refused with a box and
    // left out, and the window stays usable.
    void OfferFile(const std::string& path);
    void DetectAdapters(bool autoSelect);
    void SelectAdapter();
    void RefreshCurrentFirmware();
    void LoadFirmwareForCard();
    // The same one image at a time as PlanAgainstCard: reads, compares and
    // logs one image; false when it stops the run.
    bool CompareIntoPlan(UpdatePlanner& planner, const ImageInfo& image);
    bool ComputeUpdateKind();
    bool HasAcPower();
    void ShowManifest();

    // The update (the Continue button, each pass of the quiet run loop).
    // afterRetry: the button read "Retry" when it was pressed.
    void RunUpdate(bool afterRetry);
    void ProgrammingFailDiagnostic();
    bool MergePdaFile(const std::string& path);
    bool WritePdaToCard(const Pda& asRead);
    // Quiet mode: runs the update (repeated and delayed as asked) and ends the dialog.
    void RunQuietLoop();
    // RunUpdate with the file list held still: files that arrive meanwhile are added afterwards.
    void RunGuardedUpdate();

    // What the pass under way has come to so far, and why (as logged).
    void NotePass(PassResult result, const std::string& reason);
    // Quiet runs with "-report FILE": appends the pass's result record;
    // one that cannot be written is logged and changes nothing else.
    void ReportPass();

    void SetStatus(const std::string& text);
    void SetStatusColour(uint32_t colour);
    // The Continue button: its text as the phase has it, enabled or not.
    void ShowContinue(bool enabled);
    bool RunUnderWay() const { return phase_ == WindowPhase::kRunning || phase_ == WindowPhase::kProgramming; }
    void PushState();
    void ShowFiles();
    void ClearGrid();
    void LogTimeLine();
    void BeginPass();
    // "-restorepda": the restore, then (quiet) the end of the dialog.
    void RunPdaRestore();
    void NotReady(const std::string& text);
    CardPlatform CardPlatformOf() const;
    PlanRules Rules() const;
    CardIdentities ReadCardIdentities(const ImageInfo& image);
    // RunUpdate's stages, in its order.
    bool StartRun(bool afterRetry);
    bool ReadCardPda(UpdateRun& run, AdapterSession& card);
    bool LoadRunImages(UpdateRun& run, AdapterSession& card);
    AdapterHandle::FlashContents FlashHoldsImages(UpdateRun& run);
    // After the checks: a quiet skip confirmed by the card's flash, or the
    // reason the run stops there; false when the run stops.
    bool SettleChecks(UpdateRun& run, const UpdatePlan& plan, const std::vector<const ImageInfo*>& infos);
    void EnterProgramming();
    void FinishProgramming();
    [[noreturn]] void FailProgramming();

    MainWindowView& view_;
    SystemPort& system_;
    AdapterDiscovery discovery_;
    AdapterHandle adapter_;
    const RunOptions options_;
    // The boxes of a quiet session: installed when initialisation takes the
    // command line, the port before them put back when the window goes.
    QuietMessageBoxes quietBoxes_;
    MessageBoxPort* portBeforeQuiet_ = nullptr;
    MaintenanceTools* tools_ = nullptr;
    SharedFile* reportFile_ = nullptr;

    // Adapter selection.
    bool selected_ = false;
    int32_t adapterIndex_ = -1;
    std::vector<std::string> adapterNames_;
    std::vector<uint32_t> adapterIndices_;
    int listSelection_ = -1;
    Pda cardPda_;

    FileList files_;
    // Files the user named that cannot be taken (first refusal first):
    // while there is one, no run writes anything.
    std::vector<std::string> refusedFiles_;
    DisplayTexts texts_;
    std::string partNumberText_;
    uint32_t statusColour_ = kColourBlack;
    WindowPhase phase_ = WindowPhase::kNoLibrary;
    std::vector<std::string> filesArrivedDuringRun_;
    RunOutcome outcome_ = RunOutcome::kNone;
    UpdateKind updateKind_ = UpdateKind::kUpgrade;
    Cursor cursor_ = Cursor::kArrow;

    // The pass under way: its result so far and the card's firmware
    // versions when the pass first read them and as last read.
    PassResult passResult_ = PassResult::kNotReady;
    std::string passReason_;
    bool firmwareBeforeRead_ = false;
    std::string primaryBefore_;
    std::string stationBefore_;
    std::string primaryNow_;
    std::string stationNow_;
};

}  // namespace meru
