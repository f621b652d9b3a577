// The readiness check behind the one-button flow: AC power, exactly one
// adapter, firmware chosen for it, and the sentence that tells the user
// whether continuing upgrades, reflashes or downgrades the card. Every
// reason for not being ready is also a line of the session log, so that a
// quiet run that stops says why.
#include <memory>
#include <string>

#include "app/AdapterSession.h"
#include "app/MainWindow.h"
#include "base/SessionLog.h"
#include "image/FirmwareImage.h"
#include "image/ImageInfo.h"

namespace meru {

namespace {

const char* const kKindSentences[] = {
    "Please click continue to downgrade to an older version.",
    "Please click continue to reprogram the same version.",
    "Please click continue to upgrade to a newer version.",
};

// Why the readiness check has no primary and station entry to compare.
std::string MissingFirmwareText(const FileList& files) {
    const int both = files.FirstOfType(kFilePrimaryAndStation);
    if (both >= 0) {
        return "the file " + files.At(both)->path +
               " holds primary and station firmware in one; queue them as two files";
    }
    const bool primary = files.FirstOfType(kFilePrimary) >= 0;
    const bool station = files.FirstOfType(kFileStation) >= 0;
    if (!primary && !station) return "no primary and no station firmware is queued for this card";
    return primary ? "no station firmware is queued for this card" : "no primary firmware is queued for this card";
}

const char kNoAdapterText[] =
    "No adapter selected.  Insert/connect adapter and click retry, or click cancel to exit.";

}  // namespace

bool MainWindow::HasAcPower() {
    const SystemPort::OsVersion os = system_.Version();
    if (os.windowsNT && os.major < 5) return true;  // no power status there
    if (options_.batteryOk) return true;
    uint8_t status = SystemPort::kAcUnknown;
    if (!system_.AcLineStatus(status)) return true;
    return status == SystemPort::kAcOnline;
}

void MainWindow::NotReady(const std::string& text) {
    if (!text.empty()) {
        SetStatus(text);
        LogPrintf("%s\n", text.c_str());
        NotePass(PassResult::kNotReady, text);
    }
    phase_ = WindowPhase::kNotReady;
    ShowContinue(true);
    SetStatusColour(kColourRed);
}

int MainWindow::CheckReadiness() {
    if (!refusedFiles_.empty()) {
        // A file the user named and the program cannot take: nothing is
        // written in its place for the rest of the session.
        NotReady("The file " + refusedFiles_.front() +
                 " cannot be used, so nothing will be written.  Click cancel to exit.");
        return 1;
    }
    if (!HasAcPower()) {
        NotReady("You must be connected to AC power to update firmware.  Connect power and click retry.");
        return 1;
    }
    DetectAdapters(true);
    if (adapterNames_.empty()) {
        passResult_ = PassResult::kNoAdapter;
        NotReady(kNoAdapterText);
        NotePass(PassResult::kNoAdapter, kNoAdapterText);
        return 1;
    }
    if (adapterNames_.size() > 1) {
        NotReady(
            "More than one adapter is installed.  Remove all but one adapter and click retry, or click cancel to "
            "exit.");
        return 1;
    }
    adapterIndex_ = static_cast<int32_t>(adapterIndices_[0]);
    if (adapterIndex_ < 0) {
        NotReady(kNoAdapterText);
        NotePass(PassResult::kNoAdapter, kNoAdapterText);
        return 1;
    }
    LoadFirmwareForCard();
    if (!ComputeUpdateKind()) {
        NotReady("");  // the status box keeps what the steps before left there; they logged it
        return 1;
    }
    SetStatusColour(kColourBlack);
    SetStatus(std::string("MERU is ready to copy firmware into your high speed Wireless LAN adapter.  ") + "  " +
              kKindSentences[static_cast<int>(updateKind_)] + "  " + "Please click cancel to exit without changing firmware.");
    return 0;
}

bool MainWindow::ComputeUpdateKind() {
    const int primaryEntry = files_.FirstOfType(kFilePrimary);
    const int stationEntry = files_.FirstOfType(kFileStation);
    if (primaryEntry < 0 || stationEntry < 0) {
        const std::string text = "Not ready: " + MissingFirmwareText(files_) + ".";
        LogPrintf("%s\n", text.c_str());
        NotePass(PassResult::kNotReady, text);
        return false;
    }
    // Each entry loaded, compared and logged in turn; the decision is on both.
    UpdatePlanner planner(CardPlatformOf(), Rules());
    for (const int entry : {primaryEntry, stationEntry}) {
        ImageInfo info;
        auto image = std::make_unique<FirmwareImage>();
        // An image that no longer loads cannot be judged: not ready.
        if (!LoadEntryImage(entry, info, *image)) {
            const std::string text = "Not ready: the file " + files_.At(entry)->path + " does not load.";
            LogPrintf("%s\n", text.c_str());
            NotePass(PassResult::kNotReady, text);
            return false;
        }
        AdapterSession card(*this, false);
        if (!card.Usable()) return false;  // its box is in the log
        if (!CompareIntoPlan(planner, info)) {
            card.Close();
            if (planner.Plan().verdict != PlanVerdict::kCardUnreadable) passResult_ = PassResult::kRefused;
            // The summary goes nowhere else: a refusal is at least in the session log.
            if (!planner.Plan().summary.empty()) LogPrintf("%s", planner.Plan().summary.c_str());
            return false;
        }
    }
    // Nothing newer: whether the reflash is unneeded the update tells,
    // once it has read the card's flash.
    const UpdatePlan plan = planner.Finish();
    updateKind_ = plan.kind;
    return true;
}

}  // namespace meru
