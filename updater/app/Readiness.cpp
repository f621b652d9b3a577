// The readiness check behind the one-button flow: AC power, exactly one
// adapter, firmware chosen for it, and the sentence that tells the user
// whether continuing upgrades, reflashes or downgrades the card.
#include <string>

#include "app/MainWindow.h"
#include "base/Settings.h"

namespace meru {

namespace {

const char* const kKindSentences[] = {
    "Please click continue to downgrade to an older version.",
    "Please click continue to reprogram the same version.",
    "Please click continue to upgrade to a newer version.",
};

// The update kind of a primary and a station comparison together.
constexpr int kCombinedKind[3][3] = {
    {kKindDowngrade, kKindDowngrade, kKindUpgrade},
    {kKindDowngrade, kKindSameVersion, kKindUpgrade},
    {kKindUpgrade, kKindUpgrade, kKindUpgrade},
};

const char kNoAdapterText[] =
    "No adapter selected.  Insert/connect adapter and click retry, or click cancel to exit.";

bool ValidKind(int kind) { return kind >= kKindDowngrade && kind <= kKindUpgrade; }

}  // namespace

bool MainWindow::HasAcPower() {
    const SystemPort::OsVersion os = system_.Version();
    if (os.windowsNT && os.major < 5) return true;  // no power status there
    if (TheSettings().batteryOk) return true;
    uint8_t status = SystemPort::kAcUnknown;
    if (!system_.AcLineStatus(status)) return true;
    return status == SystemPort::kAcOnline;
}

void MainWindow::NotReady(const std::string& text) {
    if (!text.empty()) SetStatus(text);
    SetContinue("Retry", true);
    SetStatusColour(kColourRed);
}

int MainWindow::CheckReadiness() {
    if (!HasAcPower()) {
        NotReady("You must be connected to AC power to update firmware.  Connect power and click retry.");
        return 1;
    }
    DetectAdapters(true);
    if (adapterNames_.empty()) {
        NotReady(kNoAdapterText);
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
        return 1;
    }
    LoadFirmwareForCard();
    if (!ComputeUpdateKind()) {
        NotReady("");  // the status box keeps what the steps before left there
        return 1;
    }
    SetStatusColour(kColourBlack);
    SetStatus(std::string("MERU is ready to copy firmware into your high speed Wireless LAN adapter.  ") + "  " +
              kKindSentences[updateKind_] + "  " + "Please click cancel to exit without changing firmware.");
    return 0;
}

bool MainWindow::ComputeUpdateKind() {
    const int primaryEntry = files_.FirstOfType(kFilePrimary);
    const int stationEntry = files_.FirstOfType(kFileStation);
    if (primaryEntry < 0 || stationEntry < 0) return false;

    int primaryKind = kKindSameVersion;
    if (!CheckEntryAgainstCard(primaryEntry, primaryKind)) return false;
    int stationKind = kKindSameVersion;
    if (!CheckEntryAgainstCard(stationEntry, stationKind)) return false;
    if (!ValidKind(primaryKind) || !ValidKind(stationKind)) return false;
    updateKind_ = kCombinedKind[primaryKind][stationKind];
    return true;
}

}  // namespace meru
