// RunUpdate: the whole update of one card, what Continue does and what each
// pass of the quiet run loop does. It reads, plans, shows, programs: every
// stop before programming leaves the card untouched, the adapter closed and
// the reason on screen and in the session log; a failure while programming
// is fatal and ends the process.
#include <memory>
#include <vector>

#include "app/AdapterSession.h"
#include "app/ImageLoadStop.h"
#include "app/MainWindow.h"
#include "app/MergedPdaWrite.h"
#include "app/PassReport.h"
#include "app/PdaTexts.h"
#include "base/ProcessExit.h"
#include "base/ReportBox.h"
#include "base/SessionLog.h"
#include "card/PdaArea.h"
#include "image/Calibration.h"
#include "image/FirmwareImage.h"
#include "image/ImageInfo.h"
#include "image/Plugging.h"
#include "image/PlugRecordList.h"

namespace meru {

namespace {

// A run takes at most 9 file-list entries.
constexpr int kFileLimit = 9;
// getVersionText's buffer in the summary.
constexpr size_t kVersionTextCapacity = 80;

}  // namespace

// One loaded image of the run and the file-list entry it came from.
struct LoadedImage {
    ImageInfo info;
    FirmwareImage image;
    std::string description;
    std::string path;
};

// What one run has read and loaded so far.
struct UpdateRun {
    std::string summary;
    Pda pdaAsRead;  // for the backup before the merged PDA replaces it
    int merged = 0;  // .pda files merged into the card's PDA
    std::vector<std::unique_ptr<LoadedImage>> images;
};

bool MainWindow::MergePdaFile(const std::string& path) {
    uint16_t words[Pda::kMaxWords] = {};
    const uint16_t count = ReadPdaTextFile(path, words);
    if (count == 0) {
        ReportBox(view_.Owner(), "File not loaded. Format invalid?", nullptr, kBoxOk);
        return false;
    }
    if (cardPda_.ParseWords(words, count) == 0) {
        ReportBox(view_.Owner(), ("Unable to load items from file: " + path).c_str(), "Error", kBoxIconStop);
        return false;
    }
    return true;
}

namespace {

// The log line of a merge that sets another MAC address than the card held.
void LogMacChange(const Pda& before, const Pda& after) {
    const std::string old = PdaMacText(before);
    const std::string now = PdaMacText(after);
    if (old != now) {
        LogPrintf("The merged PDA changes the card's MAC address: old %s, new %s\n", old.empty() ? "none" : old.c_str(),
                  now.empty() ? "none" : now.c_str());
    }
}

}  // namespace

// The merged PDA replaces the card's only after the card's area has been
// read again, twice alike, still holds the list the merge was built on,
// and is saved in a backup that reads back; otherwise nothing is written
// and the run stops with the reason.
bool MainWindow::WritePdaToCard(const Pda& asRead) {
    LogMacChange(asRead, cardPda_);
    PdaArea area;
    adapter_.ReadPdaArea(area);
    std::string refusal = PdaAreaRefusal(area, true);
    if (refusal.empty() && area.list.Records() != asRead.Records()) {
        refusal = "The card's PDA changed since it was read for the update.";
    }
    PdaWriteResult result;
    if (refusal.empty()) {
        cursor_ = Cursor::kWait;
        view_.SetCursor(cursor_);
        view_.EnableWindow(false);
        result = WriteMergedPda(adapter_, area, cardPda_, texts_.adapterMac, system_.LocalTime(),
                                texts_.forceAllBlocks);
        view_.EnableWindow(true);
        cursor_ = Cursor::kArrow;
        view_.SetCursor(cursor_);
        if (result.outcome == PdaWriteOutcome::kNoBackup) {
            refusal = "The card's PDA could not be saved first: " + result.why + ".";
        } else if (result.outcome == PdaWriteOutcome::kTooLarge) {
            refusal = result.why;
        }
    }
    if (!refusal.empty()) {
        CloseAdapter();
        NotePass(PassResult::kFailed, refusal + " Nothing was written to the card.");
        ReportBox(view_.Owner(), (refusal + " Nothing was written to the card.").c_str(), "Cannot Continue",
                  kBoxIconStop);
        return false;
    }
    adapter_.ConcludeSession();
    const bool written = result.outcome == PdaWriteOutcome::kWritten;
    if (!written) {
        NotePass(PassResult::kFailed, "PDA Update FAILED");
        ReportBox(view_.Owner(), "PDA Update FAILED", "PDA Update Complete", kBoxOk);
    }
    return written;
}

void MainWindow::RunUpdate(bool afterRetry) {
    NotePass(PassResult::kNotReady, std::string());
    if (!StartRun(afterRetry)) return;
    AdapterSession card(*this, true);
    if (!card.Usable()) {
        // Gone since the readiness check saw it (a driver too old leaves it open).
        if (!adapter_.IsOpen()) passResult_ = PassResult::kNoAdapter;
        return;
    }

    UpdateRun run;
    if (!ReadCardPda(run, card) || !LoadRunImages(run, card)) return;

    std::vector<const ImageInfo*> infos;
    for (const auto& loaded : run.images) infos.push_back(&loaded->info);
    const UpdatePlan plan = PlanAgainstCard(infos, Rules());
    run.summary += plan.summary;
    const bool checksPassed = SettleChecks(run, plan, infos);
    SetStatus(run.summary + "Click Next To Continue");
    RefreshPdaFields();
    if (!checksPassed) {
        phase_ = WindowPhase::kStoppedAfterChecks;
        card.Close();
        if (passResult_ == PassResult::kUpToDate) {
            LogPrintf("No update needed: the card's flash already holds the queued firmware.\n%s\n",
                      run.summary.c_str());
        } else {
            LogPrintf("Update stopped after the checks:\n%s\n", run.summary.c_str());
        }
        return;
    }

    if (run.merged > 0 && !WritePdaToCard(run.pdaAsRead)) return;
    adapter_.CheckDriver();

    EnterProgramming();
    for (const auto& loaded : run.images) {
        if (!ProgramImage(loaded->image, loaded->info.station.present, loaded->description, loaded->path)) {
            FailProgramming();
        }
    }
    FinishProgramming();
}

bool MainWindow::SettleChecks(UpdateRun& run, const UpdatePlan& plan, const std::vector<const ImageInfo*>& infos) {
    using Flash = AdapterHandle::FlashContents;
    if (plan.verdict == PlanVerdict::kSkip) {
        // The versions the card reports say nothing; its flash must agree,
        // or an image cut short by a lost card would count as written. A
        // flash that cannot be read is no reason to write it.
        const Flash flash = FlashHoldsImages(run);
        if (flash == Flash::kHeld) {
            outcome_ = RunOutcome::kSkipped;
            run.summary += plan.skipText + "Selected Hex files already in flash.";
            NotePass(PassResult::kUpToDate, "Selected Hex files already in flash.");
            return false;
        }
        if (flash == Flash::kUnreadable) {
            run.summary += "The card's flash could not be read, so nothing was written.\n";
            NotePass(PassResult::kNotReady, "The card's flash could not be read, so nothing was written.");
            return false;
        }
    } else if (!plan.Go()) {
        run.summary += "***Error Encountered***";
        NotePass(plan.verdict == PlanVerdict::kCardUnreadable ? PassResult::kNotReady : PassResult::kRefused,
                 LastLineOf(plan.summary));
        return false;
    }
    updateKind_ = plan.kind;
    if (!CheckStationFitsPrimary(infos, run.summary)) {
        NotePass(PassResult::kRefused, LastLineOf(run.summary));
        return false;
    }
    if (plan.verdict == PlanVerdict::kSkip) {
        LogPrintf("The card reports the queued versions, but its flash does not hold them: they are written again.\n");
    }
    return true;
}

bool MainWindow::StartRun(bool afterRetry) {
    if (CheckReadiness() != 0) return false;
    if (afterRetry) {
        ShowContinue(true);  // the run is under way: "Continue"
        // A press that finds the card ready only relabels the button; a
        // quiet pass has no one to press again and goes on.
        if (!options_.quiet) return false;
    }
    if (!CheckFileList()) return false;
    // Refused before anything is read, merged or loaded.
    if (files_.Count() > kFileLimit) {
        ReportBox(view_.Owner(), "Error - Too many files at once", "Error", kBoxIconStop);
        return false;
    }
    return true;
}

bool MainWindow::ReadCardPda(UpdateRun& run, AdapterSession& card) {
    cardPda_.Clear();
    const bool pdaRead = adapter_.ReadPda(cardPda_);
    run.pdaAsRead = cardPda_;
    if (!pdaRead) {
        // The readiness check read it a moment ago, so this is a passing
        // fault. Going on would plug an empty PDA into the images, and
        // write firmware without the card's MAC address and calibration,
        // or replace the whole PDA by the .pda files' few records.
        cardPda_.Clear();
        card.Close();
        LogPrintf("PDA read error!\n");
        NotePass(PassResult::kNotReady, "PDA read error!");
        ReportBox(view_.Owner(),
                  "The production data could not be read from the card, so it cannot be plugged into the firmware. "
                  "Nothing was written to the card.",
                  "Cannot Continue", kBoxIconStop);
        return false;
    }
    RefreshPdaFields();
    char version[kVersionTextCapacity] = {};
    adapter_.GetVersionText(version, sizeof version, static_cast<uint32_t>(adapterIndex_));
    run.summary = "Product Part Number: " + partNumberText_ + "\n  Serial Number: " + texts_.serialNumber +
                  "\n  MAC Address: " + texts_.pdaMac + "\n  Current firmware version: " + version + "\n";

    for (const FileList::Entry* entry = files_.At(0); entry != nullptr && HasPdaExtension(entry->path);
         entry = files_.At(run.merged)) {
        if (!MergePdaFile(entry->path)) return false;
        ++run.merged;
    }
    if (run.merged == 0) return true;
    run.summary += "---------------------\n" + std::to_string(run.merged) + " PDA file(s) Loaded OK\n";
    const int calibration = ComputeCalibrationRecords(cardPda_);
    if (calibration < 0) {
        card.Close();
        ReportBox(view_.Owner(), "Set Point and Integrator values could not be set", "ERROR", kBoxIconStop);
        return false;
    }
    run.summary += calibration > 0 ? "Set Point and Integrator Values Calculated.\n"
                                   : "No Set Point and Integrator Values.\n";
    return true;
}

bool MainWindow::LoadRunImages(UpdateRun& run, AdapterSession& card) {
    for (int index = run.merged; files_.At(index) != nullptr; ++index) {
        const FileList::Entry& entry = *files_.At(index);
        auto loaded = std::make_unique<LoadedImage>();
        loaded->description = entry.description;
        loaded->path = entry.path;
        PlugRecordList plugs;
        const uint16_t lines = entry.resourceId != 0
                                   ? loaded->info.LoadResource(entry.resourceId, &loaded->image, &plugs)
                                   : loaded->info.LoadFile(entry.path, &loaded->image, &plugs);
        if (lines == 0) {
            ShowImageLoadStop(loaded->info.Failure());
            NotePass(PassResult::kNotReady, "Error in file " + entry.path);
            card.Close();
            ReportBox(view_.Owner(), ("Error in file " + entry.path).c_str(), "Cannot Continue", kBoxIconStop);
            ReportBox(view_.Owner(), "Error Loading Files. Update will not start.", "Cannot Continue",
                      kBoxIconStop);
            return false;
        }
        // Refused here as well as by ProgramImage: found only there, it
        // would end the process after the images before it were written.
        if (loaded->image.HasExecutionAddress() && loaded->image.ExecutionAddress() != 0) {
            NotePass(PassResult::kRefused, "Sorry, RAM downloads are not supported.");
            card.Close();
            ReportBox(view_.Owner(), "Sorry, RAM downloads are not supported.", "Cannot Continue", kBoxIconStop);
            return false;
        }
        PlugImage(loaded->info, loaded->image, plugs, cardPda_, entry.path.c_str());
        run.images.push_back(std::move(loaded));
    }
    return true;
}

AdapterHandle::FlashContents MainWindow::FlashHoldsImages(UpdateRun& run) {
    for (const auto& loaded : run.images) {
        const AdapterHandle::FlashContents contents = adapter_.HoldsImage(loaded->image);
        if (contents != AdapterHandle::FlashContents::kHeld) return contents;
    }
    return AdapterHandle::FlashContents::kHeld;
}

void MainWindow::EnterProgramming() {
    phase_ = WindowPhase::kProgramming;
    view_.ShowProgressBar(true);
    SetStatusColour(kColourBlack);
    SetStatus("Update in progress.  Please wait.");
    view_.EnableContinue(false);
    view_.EnableCancel(false);
    view_.RepaintNow();
}

void MainWindow::FinishProgramming() {
    adapter_.CheckDriver();
    adapter_.BlockProtocols(false);
    adapter_.ConcludeSession();
    adapter_.Close();
    view_.ShowProgressBar(false);
    view_.ShowCautionGroup(false);
    phase_ = WindowPhase::kDone;
    RefreshCurrentFirmware();
    view_.ShowAfterProgrammingColumn(false);
    view_.EnableContinue(false);
    view_.SetCautionText("");
    view_.EnableCancel(true);
    view_.SetCancelText("Exit");
    view_.FocusCancel();
    outcome_ = RunOutcome::kUpdated;
    NotePass(PassResult::kUpdated, "Update Successful!");
}

void MainWindow::FailProgramming() {
    adapter_.BlockProtocols(false);
    adapter_.ConcludeSession();
    adapter_.Close();
    SetStatusColour(kColourRed);
    SetStatus(
        "MERU has encountered an error while trying to update your firmware.  Please contact your hardware "
        "manufacturer for more instructions.");
    view_.EnableContinue(false);
    view_.SetCancelText("Exit");
    view_.EnableCancel(true);
    view_.FocusCancel();
    ProgrammingFailDiagnostic();
    phase_ = WindowPhase::kFatal;
    // The process ends below: this pass's record is written now, with no
    // versions after it (the card was not read again).
    NotePass(PassResult::kFailed, "Fatal Error: Card Write Failure detected.");
    primaryNow_.clear();
    stationNow_.clear();
    ReportPass();
    ReportBox(view_.Owner(),
              "Fatal Error: Card Write Failure detected.  The adapter card may have become non-functional.  Click OK "
              "to exit.",
              nullptr, kBoxOk);
    EndProcess(1);
}

void MainWindow::ProgrammingFailDiagnostic() {
    if (adapter_.Open(static_cast<uint32_t>(adapterIndex_), false)) {
        adapter_.Close();
    } else {
        LogPrintf("Couldn't open adapter in ProgrammingFailDiagnostic!\n");
    }
}

}  // namespace meru
