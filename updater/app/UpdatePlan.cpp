#include "app/UpdatePlan.h"

#include "image/Compatibility.h"

namespace meru {

namespace {

// Row: primary kind; column: station kind.
constexpr UpdateKind kCombinedKind[3][3] = {
    {UpdateKind::kDowngrade, UpdateKind::kDowngrade, UpdateKind::kUpgrade},
    {UpdateKind::kDowngrade, UpdateKind::kSameVersion, UpdateKind::kUpgrade},
    {UpdateKind::kUpgrade, UpdateKind::kUpgrade, UpdateKind::kUpgrade},
};

UpdateKind KindOfDifference(int difference) {
    if (difference < 0) return UpdateKind::kDowngrade;
    return difference == 0 ? UpdateKind::kSameVersion : UpdateKind::kUpgrade;
}

// Quiet mode refuses a downgrade unless the files came from the command
// line and the command line allows older firmware.
bool DowngradeRefused(const PlanRules& rules) { return rules.quiet && !(rules.commandLineFiles && rules.olderOk); }

}  // namespace

UpdateKind CombineKinds(UpdateKind primaryKind, UpdateKind stationKind) {
    const auto row = static_cast<unsigned>(primaryKind), column = static_cast<unsigned>(stationKind);
    if (row > 2 || column > 2) return UpdateKind::kDowngrade;
    return kCombinedKind[row][column];
}

bool PlatformFits(const ImageInfo& image, const CardPlatform& card, std::string& note) {
    note.clear();
    const bool imageHasPlatforms = image.platforms[0].present;
    if (card.present && imageHasPlatforms) {
        for (const PlatformSlot& slot : image.platforms) {
            if (!slot.present) break;
            if (slot.platformId == card.id) return true;
        }
        note = "ERROR - Platforms incompatible. This file cannot be used.\n";
        return false;
    }
    if (card.present) {
        note = "WARNING! - No platform information in file.\n This image may not work on the selected card.\n";
    } else if (imageHasPlatforms) {
        note = "WARNING! - No platform ID on card!\n This image may not work on the selected card.\n";
    } else {
        note = "WARNING! - No platform information on card or in file!\nThis image may not work on the selected card.\n";
    }
    return true;
}

bool UpdatePlanner::Compare(const PlannedImage& planned) {
    const ImageInfo& image = *planned.image;
    note_.clear();
    const bool platformOk = PlatformFits(image, platform_, note_);
    plan_.summary += note_;
    if (!platformOk) return Stop(PlanVerdict::kPlatformMismatch);

    std::string line;
    if (image.primary.present) {
        if (!planned.card.primaryRead) return Stop(PlanVerdict::kCardUnreadable);
        const int difference = image.primary.Compare(planned.card.primary);
        if (!Classify("Primary", planned.card.primary, image.primary, difference, plan_.primaryKind)) {
            return Stop(PlanVerdict::kRefusedDowngrade);
        }
        line = "Primary: " + image.primary.Text();
        Log(image, line);
    }
    if (image.station.present) {
        if (image.primary.present) line += ", ";
        line += "Station: " + image.station.Text();
        Log(image, line);
        // A station identity the card does not give counts as unchanged.
        if (planned.card.stationRead) {
            const int difference = image.station.Compare(planned.card.station);
            if (!Classify("Station", planned.card.station, image.station, difference, plan_.stationKind)) {
                return Stop(PlanVerdict::kRefusedDowngrade);
            }
        }
    }
    return true;
}

UpdatePlan UpdatePlanner::Finish() {
    plan_.kind = CombineKinds(plan_.primaryKind, plan_.stationKind);
    if (plan_.kind == UpdateKind::kSameVersion && rules_.quiet && !rules_.olderOk) {
        plan_.skipText = note_ + "Unneeded reflash skipped.\n" + "\n";
        plan_.verdict = PlanVerdict::kSkip;
    }
    return plan_;
}

bool UpdatePlanner::Stop(PlanVerdict verdict) {
    plan_.verdict = verdict;
    return false;
}

void UpdatePlanner::Log(const ImageInfo& image, const std::string& line) {
    std::string compatibility;
    CompatibilityText(image, compatibility);
    plan_.logLines.push_back(line + compatibility);
}

bool UpdatePlanner::Classify(const char* component, const FirmwareIdentity& card, const FirmwareIdentity& image,
                             int difference, UpdateKind& kind) {
    kind = KindOfDifference(difference);
    if (difference >= 0) return true;
    note_ = std::string("Warning! This is a downgrade for ") + component + " firmware. (" + card.Text() + " --> " +
            image.Text() + ")";
    plan_.summary += note_ + "\n";
    if (!DowngradeRefused(rules_)) return true;
    note_ += "Quiet mode downgrade requires -olderOK option.\n";
    plan_.summary += note_ + "\n";
    return false;
}

UpdatePlan PlanUpdate(const std::vector<PlannedImage>& images, const CardPlatform& platform,
                      const PlanRules& rules) {
    UpdatePlanner planner(platform, rules);
    for (const PlannedImage& image : images) {
        if (!planner.Compare(image)) return planner.Plan();
    }
    return planner.Finish();
}

}  // namespace meru
