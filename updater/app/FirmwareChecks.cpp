// The checks before anything is written: a complete file set, the card's
// platform, downgrade / same version / upgrade, and station code that fits
// the primary code it will run with. The card is read here; the decisions
// are the update plan's.
#include <memory>

#include "app/AdapterSession.h"
#include "app/ImageLoadStop.h"
#include "app/MainWindow.h"
#include "app/PassReport.h"
#include "app/PdaTexts.h"
#include "base/SessionLog.h"
#include "card/CardRequests.h"
#include "card/RidRecord.h"
#include "image/Compatibility.h"
#include "image/FirmwareImage.h"
#include "image/ImageInfo.h"
#include "image/PlugRecordList.h"

namespace meru {

namespace {

bool AnyOfType(const FileList& files, int code) { return files.FirstOfType(code) >= 0; }

const char kPlatformMismatchText[] = "Firmware available for update will not work on the selected adapter.";

}  // namespace

bool MainWindow::CheckFileList() {
    const auto refuse = [this](const char* text) {
        SetStatus(text);
        LogPrintf("%s\n", text);
        return false;
    };
    if (files_.Count() == 0) {
        return refuse("Could not file files to update card.  Remove and reconnect adapter and click retry.");
    }
    if (AnyOfType(files_, kFileStation) || AnyOfType(files_, kFilePrimaryAndStation)) return true;
    if (AnyOfType(files_, kFilePrimary)) {
        if (AnyOfType(files_, kFilePda)) LogPrintf("PDA can't be programmed without station.\n");
        LogPrintf("Error - Card requires Station code when updating Primary.\n");
        return refuse("Add Station code to the list.");
    }
    if (AnyOfType(files_, kFilePda)) return refuse("PDA can't be programmed without station.");
    return true;
}

CardPlatform MainWindow::CardPlatformOf() const {
    CardPlatform platform;
    const uint16_t* record = cardPda_.Find(kPdaPlatform);
    if (record != nullptr && record[0] >= 2) {
        platform.present = true;
        platform.id = record[2];
    }
    return platform;
}

PlanRules MainWindow::Rules() const {
    return PlanRules{options_.quiet, options_.olderOk, options_.commandLineFiles};
}

CardIdentities MainWindow::ReadCardIdentities(const ImageInfo& image) {
    CardIdentities card;
    if (image.primary.present) card.primaryRead = adapter_.ReadFirmwareIdentity(RID_PRIMARY_IDENTITY, card.primary);
    if (image.station.present) card.stationRead = adapter_.ReadFirmwareIdentity(RID_STATION_IDENTITY, card.station);
    return card;
}

bool MainWindow::CompareIntoPlan(UpdatePlanner& planner, const ImageInfo& image) {
    const size_t logged = planner.Plan().logLines.size();
    const bool passed = planner.Compare({&image, ReadCardIdentities(image)});
    const UpdatePlan& plan = planner.Plan();
    for (size_t i = logged; i < plan.logLines.size(); ++i) LogPrintf("%s", plan.logLines[i].c_str());
    if (plan.verdict == PlanVerdict::kPlatformMismatch) {
        SetStatusColour(kColourRed);
        SetStatus(kPlatformMismatchText);
        LogPrintf("%s\n", kPlatformMismatchText);
        NotePass(PassResult::kRefused, kPlatformMismatchText);
    } else if (plan.verdict == PlanVerdict::kCardUnreadable) {
        const char text[] = "The card's primary firmware version could not be read.";
        LogPrintf("%s\n", text);
        NotePass(PassResult::kNotReady, text);
    } else if (plan.verdict == PlanVerdict::kRefusedDowngrade) {
        NotePass(PassResult::kRefused, LastLineOf(plan.summary));
    }
    return passed;
}

UpdatePlan MainWindow::PlanAgainstCard(const std::vector<const ImageInfo*>& images, const PlanRules& rules) {
    UpdatePlanner planner(CardPlatformOf(), rules);
    for (const ImageInfo* image : images) {
        if (!CompareIntoPlan(planner, *image)) return planner.Plan();
    }
    return planner.Finish();
}

bool MainWindow::LoadEntryImage(int index, ImageInfo& info, FirmwareImage& image) {
    const FileList::Entry* entry = files_.At(index);
    if (entry == nullptr) return false;
    PlugRecordList plugs;
    const uint16_t lines = entry->resourceId != 0 ? info.LoadResource(entry->resourceId, &image, &plugs)
                                                  : info.LoadFile(entry->path, &image, &plugs);
    if (lines == 0) ShowImageLoadStop(info.Failure());
    return lines != 0;
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
    const bool rangeRead = adapter_.ReadRecord(range, RID_PRIMARY_SUPPLIER_RANGE);
    if (!rangeRead) LogPrintf("The card's primary compatibility range could not be read.\n");
    if (rangeRead && InterfaceRangeFits(*station, range.Word(3), range.Word(4))) return true;
    summary +=
        "ERROR - Station firmware not compatible with primary firmware. Compatibility test failed...\nCannot "
        "continue.\n";
    return false;
}

}  // namespace meru
