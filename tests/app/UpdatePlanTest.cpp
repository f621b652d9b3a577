// The decisions of a run without a card: the combined update kind, the
// quiet refusals (a downgrade per image, an unneeded reflash only when
// nothing of the run is newer) and the texts that come with them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/UpdatePlan.h"

namespace {

using meru::PlanVerdict;

meru::FirmwareIdentity Version(uint16_t major, uint16_t minor, uint16_t variant = 0) {
    meru::FirmwareIdentity identity;
    identity.present = true;
    identity.major = major;
    identity.minor = minor;
    identity.variant = variant;
    return identity;
}

const meru::FirmwareIdentity kNone;

// An image of the card's platform carrying the given components.
meru::ImageInfo Image(const meru::FirmwareIdentity& primary, const meru::FirmwareIdentity& station) {
    meru::ImageInfo image;
    image.primary = primary;
    image.station = station;
    image.platforms[0].present = true;
    image.platforms[0].platformId = 0x0201;
    return image;
}

// The kind a difference between image and card stands for, read off the
// versions by hand: 0 older, 1 the same, 2 newer.
int KindByHand(const meru::FirmwareIdentity& image, const meru::FirmwareIdentity& card) {
    if (image.major != card.major) return image.major < card.major ? 0 : 2;
    if (image.minor != card.minor) return image.minor < card.minor ? 0 : 2;
    if (image.variant != card.variant) return image.variant < card.variant ? 0 : 2;
    return 1;
}

TEST(UpdatePlan, KindsAndQuietVerdictsOverTheWholeRun) {
    const meru::PlanRules interactive{false, false, false};
    const meru::PlanRules quiet{true, false, false};
    const meru::PlanRules quietOlderOk{true, true, true};
    const meru::FirmwareIdentity card = Version(1, 4, 0);
    const meru::FirmwareIdentity older = Version(1, 3, 9), newer = Version(1, 4, 1);
    // An image whose major number is lower but minor number higher is older.
    const meru::FirmwareIdentity olderMajor = Version(0, 9, 0);
    struct Case {
        const char* name;
        meru::FirmwareIdentity primary, station;  // the two images' versions
        meru::PlanRules rules;
        int kind;  // -1: the plan stops before it has one
        PlanVerdict verdict;
        const char* summaryEnd;
    };
    const Case cases[] = {
        {"both newer", newer, newer, quiet, 2, PlanVerdict::kGo, ""},
        {"primary same, station newer: written in a quiet run", card, newer, quiet, 2, PlanVerdict::kGo, ""},
        {"primary newer, station same", newer, card, quiet, 2, PlanVerdict::kGo, ""},
        {"both same, quiet: skipped", card, card, quiet, 1, PlanVerdict::kSkip, "Unneeded reflash skipped.\n\n"},
        {"both same, quiet -olderOK", card, card, quietOlderOk, 1, PlanVerdict::kGo, ""},
        {"both same, interactive", card, card, interactive, 1, PlanVerdict::kGo, ""},
        {"primary older, station newer", older, newer, interactive, 2, PlanVerdict::kGo, ""},
        {"primary older, station same", older, card, interactive, 0, PlanVerdict::kGo, ""},
        {"primary newer, station older", newer, older, interactive, 2, PlanVerdict::kGo, ""},
        {"primary same, station older", card, older, interactive, 0, PlanVerdict::kGo, ""},
        {"lower major, higher minor", olderMajor, card, interactive, 0, PlanVerdict::kGo, ""},
        {"primary older, station newer, quiet", older, newer, quiet, -1, PlanVerdict::kRefusedDowngrade,
         "Quiet mode downgrade requires -olderOK option.\n\n"},
        {"station older, quiet -olderOK", card, older, quietOlderOk, 0, PlanVerdict::kGo,
         "(1.4.0 --> 1.3.9)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const meru::ImageInfo primary = Image(c.primary, kNone), station = Image(kNone, c.station);
        meru::CardIdentities identities;
        identities.primaryRead = identities.stationRead = true;
        identities.primary = identities.station = card;
        const meru::UpdatePlan plan =
            meru::PlanUpdate({{&primary, identities}, {&station, identities}}, {true, 0x0201}, c.rules);
        EXPECT_EQ(plan.verdict, c.verdict);
        if (c.kind >= 0) {
            EXPECT_EQ(static_cast<int>(plan.kind), c.kind);
            EXPECT_EQ(plan.kind, meru::CombineKinds(static_cast<meru::UpdateKind>(KindByHand(c.primary, card)),
                                                    static_cast<meru::UpdateKind>(KindByHand(c.station, card))));
        }
        const std::string end = c.summaryEnd;
        const std::string text = plan.summary + plan.skipText;
        ASSERT_GE(text.size(), end.size());
        EXPECT_EQ(text.substr(text.size() - end.size()), end) << text;
    }
}

TEST(UpdatePlan, CombinationTable) {
    const int expected[3][3] = {{0, 0, 2}, {0, 1, 2}, {2, 2, 2}};
    for (int primary = 0; primary < 3; ++primary) {
        for (int station = 0; station < 3; ++station) {
            EXPECT_EQ(static_cast<int>(meru::CombineKinds(static_cast<meru::UpdateKind>(primary),
                                                          static_cast<meru::UpdateKind>(station))),
                      expected[primary][station])
                << primary << "/" << station;
        }
    }
}

TEST(UpdatePlan, WhatTheCardCouldNotTellAndForeignPlatforms) {
    const meru::FirmwareIdentity card = Version(1, 4, 0);
    const meru::ImageInfo primary = Image(Version(1, 4, 0), kNone), station = Image(kNone, Version(1, 5, 0));
    meru::CardIdentities unread;  // nothing could be read
    meru::CardIdentities read;
    read.primaryRead = read.stationRead = true;
    read.primary = read.station = card;
    const meru::PlanRules quiet{true, false, false};

    EXPECT_EQ(meru::PlanUpdate({{&primary, unread}}, {true, 0x0201}, quiet).verdict, PlanVerdict::kCardUnreadable);
    // An unread station identity counts as unchanged: nothing newer, so skipped.
    EXPECT_EQ(meru::PlanUpdate({{&primary, read}, {&station, unread}}, {true, 0x0201}, quiet).verdict,
              PlanVerdict::kSkip);
    const meru::UpdatePlan foreign = meru::PlanUpdate({{&station, read}}, {true, 0x0301}, quiet);
    EXPECT_EQ(foreign.verdict, PlanVerdict::kPlatformMismatch);
    EXPECT_EQ(foreign.summary, "ERROR - Platforms incompatible. This file cannot be used.\n");
    EXPECT_TRUE(foreign.logLines.empty()) << "nothing compared";
}

}  // namespace
