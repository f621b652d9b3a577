// The checks before anything is written: a complete file set, the card's
// platform, downgrade / same version / upgrade, and station code that fits
// the primary code it will run with.
#include <memory>

#include "app/MainWindow.h"
#include "app/PdaTexts.h"
#include "base/SessionLog.h"
#include "base/Settings.h"
#include "card/CardRequests.h"
#include "card/RidRecord.h"
#include "image/Compatibility.h"
#include "image/FirmwareImage.h"
#include "image/ImageInfo.h"
#include "image/PlugRecordList.h"

namespace meru {

namespace {

bool AnyOfType(const FileList& files, int code) { return files.FirstOfType(code) >= 0; }

// The kind a comparison's difference stands for.
int KindOfDifference(int difference) {
    if (difference < 0) return kKindDowngrade;
    return difference == 0 ? kKindSameVersion : kKindUpgrade;
}

// Quiet mode refuses a downgrade unless the files came from the command
// line and the command line allows older firmware.
bool QuietDowngradeRefused() {
    const Settings& settings = TheSettings();
    return settings.quietMode && !(settings.commandLineFiles && settings.olderOk);
}

// Sets the kind a comparison stands for; a downgrade is noted in the
// summary, and refused (false) in quiet mode unless allowed.
bool ClassifyDifference(const char* component, const FirmwareIdentity& card, const FirmwareIdentity& image,
                        int difference, std::string& note, std::string& summary, int& kind) {
    if (difference >= 0) {
        kind = KindOfDifference(difference);
        return true;
    }
    kind = kKindDowngrade;
    note = std::string("Warning! This is a downgrade for ") + component + " firmware. (" + card.Text() + " --> " +
           image.Text() + ")";
    summary += note + "\n";
    if (!QuietDowngradeRefused()) return true;
    note += "Quiet mode downgrade requires -olderOK option.\n";
    summary += note + "\n";
    return false;
}

}  // namespace

bool MainWindow::CheckFileList() {
    if (files_.Count() == 0) {
        SetStatus("Could not file files to update card.  Remove and reconnect adapter and click retry.");
        return false;
    }
    if (AnyOfType(files_, kFileStation) || AnyOfType(files_, kFilePrimaryAndStation)) return true;
    bool result = true;
    if (AnyOfType(files_, kFilePda)) {
        SetStatus("PDA can't be programmed without station.");
        result = false;
    }
    if (AnyOfType(files_, kFilePrimary)) {
        SetStatus("Add Station code to the list.");
        LogPrintf("Error - Card requires Station code when updating Primary.\n");
        return false;
    }
    return result;
}

bool MainWindow::CheckPlatform(const ImageInfo& image, std::string& note) {
    note.clear();
    const uint16_t* platformRecord = cardPda_.Find(kPdaPlatform);
    const bool cardHasPlatform = platformRecord != nullptr && platformRecord[0] >= 2;
    const bool imageHasPlatforms = image.platforms[0].present;

    if (cardHasPlatform && imageHasPlatforms) {
        const uint16_t platform = platformRecord[2];
        for (const PlatformSlot& slot : image.platforms) {
            if (!slot.present) break;
            if (slot.platformId == platform) return true;
        }
        note = "ERROR - Platforms incompatible. This file cannot be used.\n";
        SetStatusColour(kColourRed);
        SetStatus("Firmware available for update will not work on the selected adapter.");
        return false;
    }
    if (cardHasPlatform) {
        note = "WARNING! - No platform information in file.\n This image may not work on the selected card.\n";
    } else if (imageHasPlatforms) {
        note = "WARNING! - No platform ID on card!\n This image may not work on the selected card.\n";
    } else {
        note = "WARNING! - No platform information on card or in file!\nThis image may not work on the selected card.\n";
    }
    return true;
}

bool MainWindow::CompareWithCard(const ImageInfo& image, std::string& summary, int& kind) {
    std::string note;
    const bool platformOk = CheckPlatform(image, note);
    summary += note;
    if (!platformOk) return false;

    int primaryDifference = 0;
    std::string line;
    if (image.primary.present) {
        FirmwareIdentity card;
        if (!adapter_.readFirmwareIdentity(RID_PRIMARY_IDENTITY, card)) return false;
        const int difference = image.primary.Compare(card);
        if (!ClassifyDifference("Primary", card, image.primary, difference, note, summary, kind)) return false;
        line = "Primary: " + image.primary.Text();
        std::string compatibility;
        CompatibilityText(image, compatibility);
        LogPrintf("%s%s", line.c_str(), compatibility.c_str());
        primaryDifference = difference;
    }

    if (image.station.present) {
        if (image.primary.present) line += ", ";
        line += "Station: " + image.station.Text();
        std::string compatibility;
        CompatibilityText(image, compatibility);
        LogPrintf("%s%s", line.c_str(), compatibility.c_str());

        FirmwareIdentity card;
        if (adapter_.readFirmwareIdentity(RID_STATION_IDENTITY, card)) {
            const int difference = image.station.Compare(card);
            if (!ClassifyDifference("Station", card, image.station, difference, note, summary, kind)) return false;
            if (difference != 0) return true;
        }
    }
    if (primaryDifference != 0) return true;

    kind = kKindSameVersion;
    if (TheSettings().quietMode && !TheSettings().olderOk) {
        note += "Unneeded reflash skipped.\n";
        summary += note + "\n";
        runOutcome_ = kOutcomeSkipped;
        return false;
    }
    return true;
}

bool MainWindow::LoadEntryImage(int index, ImageInfo& info, FirmwareImage& image) {
    const FileList::Entry* entry = files_.At(index);
    if (entry == nullptr) return false;
    PlugRecordList plugs;
    if (entry->resourceId != 0) return info.LoadResource(entry->resourceId, &image, &plugs) != 0;
    return info.LoadFile(entry->path, &image, &plugs) != 0;
}

bool MainWindow::CheckEntryAgainstCard(int index, int& kind) {
    ImageInfo info;
    auto image = std::make_unique<FirmwareImage>();
    // An image that no longer loads cannot be judged: not ready.
    if (!LoadEntryImage(index, info, *image)) return false;
    if (!OpenSelectedAdapter(false)) return false;
    std::string summary;
    const bool fits = CompareWithCard(info, summary, kind);
    adapter_.close();
    // The summary goes nowhere else: a refusal (a quiet run's skip or
    // downgrade) is at least in the session log.
    if (!fits && !summary.empty()) LogPrintf("%s", summary.c_str());
    return fits;
}

bool MainWindow::CheckStationFitsPrimary(const std::vector<const ImageInfo*>& images, std::string& summary) {
    const ImageInfo* primary = nullptr;
    const ImageInfo* station = nullptr;
    for (const ImageInfo* image : images) {
        if (image->primary.present) primary = image;
        if (image->station.present) station = image;
    }
    if (station == nullptr) return true;

    if (primary != nullptr) {
        if (InterfaceRangesOverlap(*station, *primary)) return true;
        summary += "ERROR - Station firmware not compatible with primary firmware...\nCannot continue.\n";
        return false;
    }
    // Against the primary code on the card; a range that cannot be read fits nothing.
    RidRecord range;
    const bool rangeRead = adapter_.readRecord(range, RID_PRIMARY_SUPPLIER_RANGE);
    if (!rangeRead) LogPrintf("The card's primary compatibility range could not be read.\n");
    if (rangeRead && InterfaceRangeFits(*station, range.word(3), range.word(4))) return true;
    summary +=
        "ERROR - Station firmware not compatible with primary firmware. Compatibility test failed...\nCannot "
        "continue.\n";
    return false;
}

}  // namespace meru
