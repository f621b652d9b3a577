// RunUpdate: the whole update of one card, what Continue does and what each
// pass of the quiet run loop does. Every stop before programming leaves the
// card untouched and the adapter closed; a failure while programming is
// fatal and ends the process.
#include <array>
#include <memory>

#include "app/MainWindow.h"
#include "app/PdaBackup.h"
#include "base/ProcessExit.h"
#include "base/ReportBox.h"
#include "base/SessionLog.h"
#include "base/Settings.h"
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

// One loaded image of the run and the file-list entry it came from.
struct LoadedImage {
    ImageInfo info;
    FirmwareImage image;
    std::string description;
    std::string path;
};

}  // namespace

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

bool MainWindow::WritePdaToCard() {
    cursor_ = Cursor::kWait;
    view_.SetCursor(cursor_);
    view_.EnableWindow(false);
    // The production data block is always read back after it is written.
    const bool written = adapter_.writePda(cardPda_, texts_.forceAllBlocks, true);
    adapter_.concludeSession();
    if (!written) ReportBox(view_.Owner(), "PDA Update FAILED", "PDA Update Complete", kBoxOk);
    view_.EnableWindow(true);
    cursor_ = Cursor::kArrow;
    view_.SetCursor(cursor_);
    return written;
}

void MainWindow::RunUpdate() {
    if (CheckReadiness() != 0) return;
    if (continueText_ == "Retry") {
        SetContinue("Continue", true);
        return;
    }
    if (!CheckFileList()) return;
    // Refused before anything is read, merged or loaded.
    if (files_.Count() > kFileLimit) {
        ReportBox(view_.Owner(), "Error - Too many files at once", "Error", kBoxIconStop);
        return;
    }
    if (!OpenSelectedAdapter(true)) {
        adapter_.close();
        return;
    }

    std::string summary;
    cardPda_.Clear();
    const bool pdaRead = adapter_.readPda(cardPda_);
    const Pda pdaAsRead = cardPda_;  // for the backup before it is replaced
    if (pdaRead) {
        RefreshPdaFields();
        char version[kVersionTextCapacity] = {};
        adapter_.getVersionText(version, sizeof version, static_cast<uint32_t>(adapterIndex_));
        summary = "Product Part Number: " + partNumberText_ + "\n  Serial Number: " + texts_.serialNumber +
                  "\n  MAC Address: " + texts_.pdaMac + "\n  Current firmware version: " + version + "\n";
    } else {
        cardPda_.Clear();
        LogPrintf("PDA read error! User chose to continue.\n");
    }

    int merged = 0;
    for (const FileList::Entry* entry = files_.At(0); entry != nullptr && HasPdaExtension(entry->path);
         entry = files_.At(merged)) {
        if (!MergePdaFile(entry->path)) {
            adapter_.close();
            return;
        }
        ++merged;
    }
    if (merged > 0 && !pdaRead) {
        // Writing the merged list back would replace the card's whole
        // production data by the files' few records.
        adapter_.close();
        ReportBox(view_.Owner(),
                  "The production data could not be read from the card, so the .pda files cannot be merged into it. "
                  "Nothing was written to the card.",
                  "Cannot Continue", kBoxIconStop);
        return;
    }
    if (merged > 0) {
        summary += "---------------------\n" + std::to_string(merged) + " PDA file(s) Loaded OK\n";
        const int calibration = ComputeCalibrationRecords(cardPda_);
        if (calibration < 0) {
            adapter_.close();
            ReportBox(view_.Owner(), "Set Point and Integrator values could not be set", "ERROR", kBoxIconStop);
            return;
        }
        summary += calibration > 0 ? "Set Point and Integrator Values Calculated.\n"
                                   : "No Set Point and Integrator Values.\n";
    }

    std::vector<std::unique_ptr<LoadedImage>> loaded;
    for (int index = merged; files_.At(index) != nullptr; ++index) {
        const FileList::Entry& entry = *files_.At(index);
        auto slot = std::make_unique<LoadedImage>();
        slot->description = entry.description;
        slot->path = entry.path;
        PlugRecordList plugs;
        const uint16_t lines = entry.resourceId != 0
                                   ? slot->info.LoadResource(entry.resourceId, &slot->image, &plugs)
                                   : slot->info.LoadFile(entry.path, &slot->image, &plugs);
        if (lines == 0) {
            adapter_.close();
            ReportBox(view_.Owner(), ("Error in file " + entry.path).c_str(), "Cannot Continue", kBoxIconStop);
            ReportBox(view_.Owner(), "Error Loading Files. Update will not start.", "Cannot Continue",
                      kBoxIconStop);
            return;
        }
        PlugImage(slot->info, slot->image, plugs, cardPda_, entry.path.c_str());
        loaded.push_back(std::move(slot));
    }

    bool checksPassed = true;
    updateKind_ = kKindUpgrade;
    for (const auto& slot : loaded) {
        if (!CompareWithCard(slot->info, summary, updateKind_)) {
            adapter_.close();
            summary += runOutcome_ == kOutcomeSkipped ? "Selected Hex files already in flash." : "***Error Encountered***";
            checksPassed = false;
            break;
        }
    }
    if (checksPassed) {
        std::vector<const ImageInfo*> infos;
        for (const auto& slot : loaded) infos.push_back(&slot->info);
        checksPassed = CheckStationFitsPrimary(infos, summary);
    }
    SetStatus(summary + "Click Next To Continue");
    RefreshPdaFields();
    if (!checksPassed) {
        adapter_.close();
        return;
    }

    if (merged > 0) WritePdaBackup(pdaAsRead, texts_.adapterMac, system_.LocalTime());
    if (merged > 0 && !WritePdaToCard()) {
        adapter_.close();
        return;
    }
    adapter_.checkDriver();

    EnterProgramming();
    for (const auto& slot : loaded) {
        if (!ProgramImage(slot->image, slot->info.station.present, slot->description, slot->path)) FailProgramming();
    }
    FinishProgramming();
}

void MainWindow::EnterProgramming() {
    updateInProgress_ = true;
    view_.ShowProgressBar(true);
    SetStatusColour(kColourBlack);
    SetStatus("Update in progress.  Please wait.");
    view_.EnableContinue(false);
    view_.EnableCancel(false);
    view_.RepaintNow();
}

void MainWindow::FinishProgramming() {
    adapter_.checkDriver();
    adapter_.blockProtocols(false);
    adapter_.concludeSession();
    adapter_.close();
    view_.ShowProgressBar(false);
    view_.ShowCautionGroup(false);
    updateInProgress_ = false;
    RefreshCurrentFirmware();
    view_.ShowAfterProgrammingColumn(false);
    view_.EnableContinue(false);
    view_.SetCautionText("");
    view_.EnableCancel(true);
    view_.SetCancelText("Exit");
    view_.FocusCancel();
    runOutcome_ = kOutcomeUpdated;
}

void MainWindow::FailProgramming() {
    adapter_.blockProtocols(false);
    adapter_.concludeSession();
    adapter_.close();
    SetStatusColour(kColourRed);
    SetStatus(
        "MERU has encountered an error while trying to update your firmware.  Please contact your hardware "
        "manufacturer for more instructions.");
    view_.EnableContinue(false);
    view_.SetCancelText("Exit");
    view_.EnableCancel(true);
    view_.FocusCancel();
    ProgrammingFailDiagnostic();
    updateInProgress_ = false;
    ReportBox(view_.Owner(),
              "Fatal Error: Card Write Failure detected.  The adapter card may have become non-functional.  Click OK "
              "to exit.",
              nullptr, kBoxOk);
    EndProcess(1);
}

void MainWindow::ProgrammingFailDiagnostic() {
    if (adapter_.open(static_cast<uint32_t>(adapterIndex_), false)) {
        adapter_.close();
    } else {
        LogPrintf("Couldn't open adapter in ProgrammingFailDiagnostic!\n");
    }
}

}  // namespace meru
