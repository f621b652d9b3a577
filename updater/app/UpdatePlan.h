#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/ImageInfo.h"

namespace meru {

// Update kinds, from the comparison of the queued images with the card.
enum class UpdateKind { kDowngrade = 0, kSameVersion = 1, kUpgrade = 2 };

// What the card answered when asked for the identities an image is compared with.
struct CardIdentities {
    bool primaryRead = false;
    FirmwareIdentity primary;
    bool stationRead = false;
    FirmwareIdentity station;
};

// One image of a run and the card's answers for it.
struct PlannedImage {
    const ImageInfo* image = nullptr;
    CardIdentities card;
};

// The card's platform: the first data word of its PDA record 0x0008.
struct CardPlatform {
    bool present = false;
    uint16_t id = 0;
};

// The switches of the command line that the decisions depend on.
struct PlanRules {
    bool quiet = false;
    bool olderOk = false;
    bool commandLineFiles = false;
};

enum class PlanVerdict {
    kGo,                 // write the images
    kSkip,               // quiet run, nothing newer: an unneeded reflash, skipped once the
                         // card's flash is found to hold the images
    kRefusedDowngrade,   // quiet run, a downgrade the command line does not allow
    kPlatformMismatch,   // an image was not built for the card's platform
    kCardUnreadable,     // the card's primary identity could not be read
};

// The decisions of one run, made on the whole run at once: the update kind
// (the primary and station kinds combined), whether to go on and why not,
// and the texts the user and the log get.
struct UpdatePlan {
    PlanVerdict verdict = PlanVerdict::kGo;
    UpdateKind primaryKind = UpdateKind::kSameVersion;  // of the image carrying primary code, if any
    UpdateKind stationKind = UpdateKind::kSameVersion;  // of the image carrying station code, if any
    UpdateKind kind = UpdateKind::kSameVersion;         // the two combined
    std::string summary;                 // appended to the run's summary text
    std::string skipText;                // appended as well when a skip is confirmed
    std::vector<std::string> logLines;   // comparison lines, each ending in "\n"

    bool Go() const { return verdict == PlanVerdict::kGo; }
};

// The update kind of a primary and a station comparison together.
UpdateKind CombineKinds(UpdateKind primaryKind, UpdateKind stationKind);

// Whether the card's platform is among the image's; sets `note` to the
// warning or error the user reads, or leaves it empty.
bool PlatformFits(const ImageInfo& image, const CardPlatform& card, std::string& note);

// Makes the plan one image at a time, so that a caller can load, read and
// log image by image: Compare each image in the run's order, then Finish.
class UpdatePlanner {
public:
    UpdatePlanner(const CardPlatform& platform, const PlanRules& rules) : platform_(platform), rules_(rules) {}

    // Compares one image with the card; false when it stops the run (the
    // plan's verdict says why). Its comparison lines are appended to the
    // plan's log lines.
    bool Compare(const PlannedImage& planned);
    // After every image passed: the combined kind, and the skip of a quiet
    // run that would write nothing newer.
    UpdatePlan Finish();
    // The plan so far (what stopped it, after a false Compare).
    const UpdatePlan& Plan() const { return plan_; }

private:
    bool Stop(PlanVerdict verdict);
    void Log(const ImageInfo& image, const std::string& line);
    bool Classify(const char* component, const FirmwareIdentity& card, const FirmwareIdentity& image,
                  int difference, UpdateKind& kind);

    CardPlatform platform_;
    PlanRules rules_;
    UpdatePlan plan_;
    std::string note_;  // the last note of a comparison
};

// Compares each image with the card, in order, and decides the run. A
// downgrade is refused per image; an unneeded reflash is skipped only when
// no image of the run is newer than the card.
UpdatePlan PlanUpdate(const std::vector<PlannedImage>& images, const CardPlatform& platform,
                      const PlanRules& rules);

}  // namespace meru
