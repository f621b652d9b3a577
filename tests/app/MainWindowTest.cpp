// The main window's controller against the software card: what the window
// shows after initialisation and after a press, the file list's rules, the
// firmware chosen for a card and the comparisons with it.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "WindowRig.h"
#include "app/ResourceIds.h"
#include "base/SessionLog.h"
#include "card/CardRequests.h"
#include "image/FirmwareImage.h"
#include "image/ImageInfo.h"
#include "image/SRecordText.h"
#include "sim/CardProtocol.h"
#include "sim/PdaArea.h"
#include "support/TempDir.h"

namespace {

using apptest::Firmware;
using apptest::WindowRig;
using meru::GridField;

const std::string kFirmwareDir = MERU_FIRMWARE_DIR;
std::string Shipped(const std::string& name) { return kFirmwareDir + "/" + name; }

const char kReady[] = "MERU is ready to copy firmware into your high speed Wireless LAN adapter.    ";
const char kCancelTail[] = "  Please click cancel to exit without changing firmware.";
std::string ReadyText(const std::string& sentence) { return kReady + sentence + kCancelTail; }
const char kUpgrade[] = "Please click continue to upgrade to a newer version.";
const char kSame[] = "Please click continue to reprogram the same version.";
const char kDowngrade[] = "Please click continue to downgrade to an older version.";
const std::string kLongPath = "/tmp/" + std::string(250, 'x') + "/SA010300.HEX";
const char kNoAdapter[] = "No adapter selected.  Insert/connect adapter and click retry, or click cancel to exit.";

sim::FactoryOptions CardWith(uint16_t primaryMinor, uint16_t stationMinor, uint16_t primaryMajor = 1,
                             uint16_t stationMajor = 1) {
    sim::FactoryOptions options;
    options.primary = Firmware(options.primary, primaryMajor, primaryMinor, 0);
    options.station = Firmware(options.station, stationMajor, stationMinor, 0);
    return options;
}

struct ReadinessCase {
    const char* name;
    std::function<std::unique_ptr<WindowRig>()> make;
    std::vector<std::string> args;
    std::string status;
    bool ready;
};

TEST(MainWindowReadiness, SentencesByCardAndSystem) {
    auto rig = [](int adapters = 1, const sim::FactoryOptions& options = {}, uint16_t platform = 0x0201) {
        return std::make_unique<WindowRig>(adapters, platform, options);
    };
    auto onPower = [rig](uint8_t status, bool known = true, meru::SystemPort::OsVersion os = {}) {
        return [=]() {
            auto r = rig();
            r->system.acStatus = status;
            r->system.powerStatusKnown = known;
            r->system.os = os;
            return r;
        };
    };
    const std::string noPower = "You must be connected to AC power to update firmware.  Connect power and click retry.";
    const ReadinessCase cases[] = {
        {"AC off", onPower(0), {}, noPower, false},
        {"AC unknown", onPower(255), {}, noPower, false},
        {"AC on", onPower(1), {}, ReadyText(kUpgrade), true},
        {"AC off, -batteryOK", onPower(0), {"-batteryOK"}, ReadyText(kUpgrade), true},
        {"power status unavailable", onPower(0, false), {}, ReadyText(kUpgrade), true},
        {"NT 4 never asks", onPower(0, true, {true, 4}), {}, ReadyText(kUpgrade), true},
        {"Windows 95 asks", onPower(0, true, {false, 4}), {}, noPower, false},
        {"no adapter", [rig] { return rig(0); }, {}, kNoAdapter, false},
        {"two adapters", [rig] { return rig(2); }, {},
         "More than one adapter is installed.  Remove all but one adapter and click retry, or click cancel to exit.",
         false},
        {"disabled adapter",
         [rig] {
             auto r = rig();
             r->fixture.Disable(r->adapter);
             return r;
         },
         {}, kNoAdapter, false},
        {"MAC type unknown",
         [rig] {
             auto r = rig();
             r->card.State().macType = 3;
             return r;
         },
         {}, "The adapter has been disabled, or is not compatible with this program.", false},
        {"bad PDA",
         [rig] {
             auto r = rig();
             sim::CorruptPdaCrc(r->card.State());
             return r;
         },
         {}, "WARNING! PDA read from card was invalid. ", false},
        {"station for another platform", [rig] { return rig(1, {}, 0x0204); }, {Shipped("SA010500.HEX")},
         "Firmware available for update will not work on the selected adapter.", false},
        {"a file path too long", [rig] { return rig(); }, {kLongPath},
         "The file " + kLongPath + " cannot be used, so nothing will be written.  Click cancel to exit.", false},
        {"older card", [rig] { return rig(1, CardWith(3, 3)); }, {}, ReadyText(kUpgrade), true},
        {"same versions", [rig] { return rig(1, CardWith(4, 5)); }, {}, ReadyText(kSame), true},
        {"newer primary on card, same station", [rig] { return rig(1, CardWith(5, 5)); }, {}, ReadyText(kDowngrade),
         true},
        {"older primary, newer station on card", [rig] { return rig(1, CardWith(3, 6)); }, {}, ReadyText(kUpgrade),
         true},
        {"lower major, higher minor on card", [rig] { return rig(1, CardWith(9, 5, 0)); }, {}, ReadyText(kUpgrade),
         true},
        {"higher major, lower minor on card", [rig] { return rig(1, CardWith(0, 5, 2)); }, {}, ReadyText(kDowngrade),
         true},
    };
    for (const ReadinessCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto r = c.make();
        r->Start(c.args);
        EXPECT_EQ(r->view.status, c.status);
        EXPECT_EQ(r->view.continueText, c.ready ? "Continue" : "Retry");
        EXPECT_TRUE(r->view.continueEnabled);
        EXPECT_EQ(r->view.colour, c.ready ? meru::kColourBlack : meru::kColourRed);
        EXPECT_EQ(r->view.ended, -1) << "an interactive session stays open";
        EXPECT_EQ(r->Requests(sim::kOidDownload), 0u) << "initialisation never writes";
        if (!c.ready) {
            EXPECT_NE(r->log.Text().find(c.status + "\n"), std::string::npos) << "a quiet run says why it stops";
        }
        if (c.name == std::string("NT 4 never asks")) {
            EXPECT_EQ(r->system.powerQueries, 0);
        }
    }
}

TEST(MainWindowReadiness, LibraryStartupErrorDisablesEverything) {
    WindowRig rig;
    rig.card.State().libraryLastError = 2;
    rig.Start({"-quiet", Shipped("PK010302.HEX")});
    EXPECT_EQ(rig.view.status, "Could not find/load the necessary system files. Functionality is disabled.");
    EXPECT_EQ(rig.view.colour, meru::kColourRed);
    EXPECT_FALSE(rig.view.continueEnabled);
    EXPECT_EQ(rig.view.cancelText, "Exit");
    EXPECT_EQ(rig.view.ended, -1) << "-quiet has no effect: the command line is never parsed";
    EXPECT_EQ(meru::CurrentMessageBoxPort(), &rig.boxes) << "the boxes are still shown";
    EXPECT_FALSE(rig.view.boxFont);
    EXPECT_EQ(rig.window->Files().Count(), 0);
    rig.window->OnCommand(IDC_CONTINUE);
    EXPECT_EQ(rig.view.status, "Could not find/load the necessary system files. Functionality is disabled.");
    rig.window->OnCommand(IDC_CANCEL);
    EXPECT_EQ(rig.view.ended, 0);
}

TEST(MainWindowReadiness, RetryOnlyRelabelsThenContinueStarts) {
    WindowRig rig;
    rig.library.DetachCards();  // the adapter's driver knows nothing: it does not open
    rig.Start();
    EXPECT_EQ(rig.view.status, kNoAdapter);
    EXPECT_EQ(rig.view.continueText, "Retry");

    rig.library.AttachCard(rig.card);  // the card is inserted
    rig.window->OnCommand(IDC_CONTINUE);
    EXPECT_EQ(rig.view.status, ReadyText(kUpgrade));
    EXPECT_EQ(rig.view.continueText, "Continue");
    EXPECT_EQ(rig.Requests(sim::kOidDownload), 0u) << "the press that finds the card ready only relabels";
}

TEST(MainWindowGrid, FilledFromCardAndCatalogue) {
    WindowRig rig(1, WindowRig::kPlatform, CardWith(3, 3));
    rig.Start();
    const std::pair<GridField, std::string> expected[] = {
        {GridField::kCurrentPrimaryRevision, "1.3.0"}, {GridField::kCurrentPrimaryFile, "PK010101.HEX"},
        {GridField::kCurrentStationRevision, "1.3.0"}, {GridField::kCurrentStationFile, "SK010301.HEX"},
        {GridField::kAfterPrimaryRevision, "1.4.0"},   {GridField::kAfterPrimaryFile, "PK010400.HEX"},
        {GridField::kAfterStationRevision, "1.5.0"},   {GridField::kAfterStationFile, "SA010500.HEX"},
    };
    for (const auto& [field, text] : expected) EXPECT_EQ(rig.view.grid[static_cast<int>(field)], text);
    EXPECT_NE(rig.log.Text().find("Update To: Primary: 1.4.0 Station: 1.5.0 (PK010400.HEX  SA010500.HEX)\n"),
              std::string::npos);
    EXPECT_EQ(rig.view.texts.pdaMac, "00-60-1D-12-34-56");
    EXPECT_EQ(rig.view.texts.adapterMac, "00-60-1D-12-34-56");
    EXPECT_EQ(rig.view.texts.serialNumber, "99SA00012345");
    EXPECT_TRUE(rig.view.adapterNameShown);
    EXPECT_NE(rig.log.Text().find("Time of MERU execution: Tuesday, December 08, 2026  06:05:09\n\n"),
              std::string::npos);
}

TEST(MainWindowGrid, CommandLineFilesReaddedAfterTheCataloguesChoice) {
    WindowRig rig(1, WindowRig::kPlatform, CardWith(3, 3));
    rig.Start({Shipped("PK010302.HEX")});
    const meru::FileList& files = rig.window->Files();
    ASSERT_EQ(files.Count(), 2);
    EXPECT_EQ(files.At(0)->path, Shipped("PK010302.HEX"));
    EXPECT_EQ(files.At(1)->path, "SA010500.HEX");
    EXPECT_EQ(rig.view.grid[static_cast<int>(GridField::kAfterPrimaryRevision)], "1.3.2");
    EXPECT_TRUE(rig.window->Options().commandLineFiles);

    // A primary handed over by a second start stays only until the next check.
    rig.window->OnHandedOverFile(Shipped("PL010400.HEX"));
    EXPECT_EQ(rig.window->Files().At(0)->path, Shipped("PL010400.HEX"));
    rig.window->CheckReadiness();
    EXPECT_EQ(rig.window->Files().At(0)->path, Shipped("PK010302.HEX"));
}

// The readiness check says which firmware it is missing.
TEST(MainWindowReadiness, NotReadyNamesTheMissingFirmware) {
    testsupport::TempDir dir;
    const std::string both = dir.File("both.hex");
    testsupport::WriteWholeFile(both, imagetest::InfoRecord(1, {21, 0, 1, 4}) + "\n" +
                                          imagetest::InfoRecord(1, {31, 0, 1, 5}) + "\n" +
                                          imagetest::S3(0x7E0000, imagetest::Bytes(16)) + "\n" + imagetest::S7(0) +
                                          "\n");
    struct Case {
        bool platformRecord;
        std::vector<std::string> args;
        std::string logged;
    };
    const Case cases[] = {
        {true, {both}, "the file " + both + " holds primary and station firmware in one; queue them as two files"},
        {false, {Shipped("SA010500.HEX")}, "no primary firmware is queued for this card"},
        {false, {Shipped("PK010400.HEX")}, "no station firmware is queued for this card"},
        {false, {}, "no primary and no station firmware is queued for this card"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logged);
        sim::FactoryOptions options;
        options.platformRecord = c.platformRecord;
        WindowRig rig(1, WindowRig::kPlatform, options);
        rig.Start(c.args);
        EXPECT_EQ(rig.view.continueText, "Retry");
        EXPECT_NE(rig.log.Text().find("Not ready: " + c.logged + ".\n"), std::string::npos) << rig.log.Text();
    }
}

TEST(MainWindowGrid, CardWithoutPlatformRecordGetsNothing) {
    sim::FactoryOptions options;
    options.platformRecord = false;
    WindowRig rig(1, WindowRig::kPlatform, options);
    rig.Start({Shipped("SA010500.HEX")});
    // The command line's own parse entered the file; the card load re-adds nothing.
    EXPECT_EQ(rig.window->Files().Count(), 1);
    for (const std::string& field : rig.view.grid) EXPECT_EQ(field, "");
    EXPECT_EQ(rig.view.continueText, "Retry");
}

// --- the file list ---

class FileListFiles : public ::testing::Test {
protected:
    void SetUp() override {
        using namespace imagetest;
        both = dir.File("both.hex");
        testsupport::WriteWholeFile(both, InfoRecord(1, {21, 0, 2, 1}) + "\n" + InfoRecord(1, {31, 0, 3, 1}) + "\n" +
                                              S3(0x7E0000, Bytes(16)) + "\n" + S7(0) + "\n");
        pda = dir.File("card.pda");
        testsupport::WriteWholeFile(pda, "0x0005, 0x0008, 0x0201, 0x0001, 0x0002, 0x0003\n0x0002, 0x0002, 0x001F\n");
    }
    std::vector<std::pair<int, std::string>> Listed() const {
        std::vector<std::pair<int, std::string>> listed;
        for (const auto& entry : files.Entries()) listed.push_back({entry.typeCode, entry.path});
        return listed;
    }
    void Add(const std::string& path) { files.Insert(meru::ClassifyFile(path, 0)); }

    testsupport::TempDir dir;
    testsupport::LogCapture log;
    std::string both, pda;
    meru::FileList files;
};

TEST_F(FileListFiles, ClassifiedByWhatTheyHold) {
    struct Case {
        std::string path;
        int code;
        std::string description;
    };
    const Case cases[] = {
        {Shipped("PK010400.HEX"), meru::kFilePrimary, "1.4.0"},
        {Shipped("SA010500.HEX"), meru::kFileStation, "1.5.0"},
        {both, meru::kFilePrimaryAndStation, "2.1.0 / 3.1.0"},
        {dir.File("missing.hex"), meru::kFileUnknownImage, " unknown"},
        {pda, meru::kFilePda, "201 / 1f"},
        {dir.File("missing.PDA"), meru::kFilePda, "     "},
    };
    for (const Case& c : cases) {
        const meru::FileList::Entry entry = meru::ClassifyFile(c.path, 0);
        EXPECT_EQ(entry.typeCode, c.code) << c.path;
        EXPECT_EQ(entry.description, c.description) << c.path;
    }
}

TEST_F(FileListFiles, MakesRoomAndKeepsOrder) {
    const std::string primary = Shipped("PK010400.HEX"), older = Shipped("PK010302.HEX"),
                      station = Shipped("SA010500.HEX"), unknown = dir.File("a.hex");
    Add(station);
    Add(pda);
    Add(unknown);
    Add(primary);
    Add(older);  // a second primary replaces the first
    EXPECT_EQ(Listed(), (std::vector<std::pair<int, std::string>>{{0, pda}, {1, unknown}, {2, older}, {3, station}}));

    Add(dir.File("b.pda"));
    Add(dir.File("CARD.PDA"));  // the same PDA file, whatever its case: moved to the end of the PDA files
    EXPECT_EQ(Listed()[0].second, dir.File("b.pda"));
    EXPECT_EQ(Listed()[1].second, dir.File("CARD.PDA"));
    EXPECT_EQ(files.Count(), 5);

    Add(both);  // holds both codes: primary and station go
    EXPECT_EQ(files.FirstOfType(meru::kFilePrimary), -1);
    EXPECT_EQ(files.FirstOfType(meru::kFileStation), -1);
    Add(primary);  // and an embedded primary later removes it again
    EXPECT_EQ(files.FirstOfType(meru::kFilePrimaryAndStation), -1);
    EXPECT_EQ(files.At(files.Count() - 1)->path, primary);

    files.Remove({0, 99, 0, -1});
    EXPECT_EQ(files.At(0)->path, dir.File("CARD.PDA"));
}

TEST(MainWindowFiles, CheckFileListTexts) {
    struct Case {
        std::vector<std::string> files;
        bool result;
        std::string status;
    };
    testsupport::TempDir dir;
    const std::string pda = dir.File("x.pda");
    const Case cases[] = {
        {{}, false, "Could not file files to update card.  Remove and reconnect adapter and click retry."},
        {{pda}, false, "PDA can't be programmed without station."},
        {{pda, Shipped("PK010400.HEX")}, false, "Add Station code to the list."},
        {{Shipped("PK010400.HEX")}, false, "Add Station code to the list."},
        {{pda, Shipped("SA010500.HEX")}, true, ""},
    };
    for (const Case& c : cases) {
        WindowRig rig(0);
        rig.Start();
        for (const std::string& file : c.files) rig.window->AddFile(file, 0);
        rig.view.status.clear();
        EXPECT_EQ(rig.window->CheckFileList(), c.result);
        EXPECT_EQ(rig.view.status, c.status);
        const bool logged = rig.log.Text().find("Error - Card requires Station code when updating Primary.\n") !=
                            std::string::npos;
        EXPECT_EQ(logged, c.status == "Add Station code to the list.");
    }
}

// A path too long for the window's buffers is refused, not cut, and the
// catalogue's image of the same kind never takes its place: every run stops.
TEST(MainWindowFiles, OverlongPathIsRefusedOnceAndStopsEveryRun) {
    WindowRig rig(1, WindowRig::kPlatform, apptest::OlderCard());
    rig.Start({kLongPath});
    rig.window->OnCommand(IDC_CONTINUE);
    rig.window->OnCommand(IDC_CONTINUE);
    ASSERT_EQ(rig.boxes.boxes.size(), 1u) << "told once, not once per check";
    EXPECT_EQ(rig.boxes.boxes[0].caption, "Error");
    EXPECT_EQ(rig.view.continueText, "Retry");
    EXPECT_EQ(rig.Requests(sim::kOidDownload), 0u);

    WindowRig quiet(1, WindowRig::kPlatform, apptest::OlderCard());
    quiet.Start({"-quiet", "-olderOK", kLongPath});
    EXPECT_EQ(quiet.view.ended, 0) << "exit code 1";
    EXPECT_EQ(quiet.Requests(sim::kOidDownload), 0u);
    EXPECT_NE(quiet.log.Text().find("Error:File path too long; it cannot be queued: " + kLongPath + "\n"),
              std::string::npos);
}

// A path handed over or dropped that is too long to be taken is refused
// with one box and left out; the window goes on as before. 249 characters
// still fit the window's buffers.
TEST(MainWindowFiles, OverlongOfferedPathIsRefusedAndTheWindowStaysUsable) {
    WindowRig rig(1, WindowRig::kPlatform, apptest::OlderCard());
    rig.Start();
    const std::string longest = "/tmp/" + std::string(240, 'y') + ".pda";
    ASSERT_EQ(longest.size(), 249u);
    const std::string overlong = "/tmp/" + std::string(241, 'z') + ".pda";
    ASSERT_EQ(overlong.size(), 250u);
    rig.window->OnFilesDropped({overlong});
    rig.window->OnHandedOverFile(overlong);
    ASSERT_EQ(rig.boxes.boxes.size(), 2u) << "one box per offer";
    EXPECT_EQ(rig.boxes.boxes[0].caption + ":" + rig.boxes.boxes[0].text,
              "Error:File path too long; it cannot be queued: " + overlong);
    EXPECT_EQ(rig.window->Files().FirstOfType(meru::kFilePda), -1);
    rig.window->OnCommand(IDC_CONTINUE);
    EXPECT_EQ(rig.view.status, "Update Successful!");

    rig.window->OnHandedOverFile(longest);
    EXPECT_EQ(rig.boxes.boxes.size(), 2u);
    ASSERT_EQ(rig.window->Files().FirstOfType(meru::kFilePda), 0);
    EXPECT_EQ(rig.window->Files().At(0)->path, longest);
}

// --- comparisons in quiet mode ---

TEST(MainWindowCompare, QuietModeRefusals) {
    struct Case {
        const char* name;
        sim::FactoryOptions card;
        bool olderOk, commandLineFiles;
        meru::PlanVerdict verdict;
        std::string summaryEnd;
    };
    using meru::PlanVerdict;
    const std::string downgrade =
        "Warning! This is a downgrade for Primary firmware. (1.5.0 --> 1.4.0)\n";
    const Case cases[] = {
        {"downgrade", CardWith(5, 5), false, false, PlanVerdict::kRefusedDowngrade,
         downgrade + downgrade.substr(0, downgrade.size() - 1) + "Quiet mode downgrade requires -olderOK option.\n\n"},
        {"downgrade of an embedded image, -olderOK", CardWith(5, 5), true, false, PlanVerdict::kRefusedDowngrade,
         "Quiet mode downgrade requires -olderOK option.\n\n"},
        {"downgrade of a command-line file, -olderOK", CardWith(5, 5), true, true, PlanVerdict::kGo, downgrade},
        {"same version", CardWith(4, 5), false, false, PlanVerdict::kSkip, "Unneeded reflash skipped.\n\n"},
        {"same version, -olderOK", CardWith(4, 5), true, false, PlanVerdict::kGo, ""},
        {"upgrade", CardWith(3, 5), false, false, PlanVerdict::kGo, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowRig rig(1, WindowRig::kPlatform, c.card);
        rig.Start();
        const meru::PlanRules quiet{true, c.olderOk, c.commandLineFiles};
        meru::ImageInfo info;
        auto image = std::make_unique<meru::FirmwareImage>();
        ASSERT_TRUE(rig.window->LoadEntryImage(rig.window->Files().FirstOfType(meru::kFilePrimary), info, *image));
        ASSERT_TRUE(rig.window->OpenSelectedAdapter(false));
        const meru::UpdatePlan plan = rig.window->PlanAgainstCard({&info}, quiet);
        rig.window->CloseAdapter();
        EXPECT_EQ(plan.verdict, c.verdict);
        const std::string summary = plan.summary + plan.skipText;
        ASSERT_GE(summary.size(), c.summaryEnd.size());
        EXPECT_EQ(summary.substr(summary.size() - c.summaryEnd.size()), c.summaryEnd);
    }
}

TEST(MainWindowCompare, StationCheckAgainstCardRangeNeedsTheRecord) {
    WindowRig rig(1, WindowRig::kPlatform, CardWith(3, 3));
    rig.Start();
    meru::ImageInfo station;
    auto image = std::make_unique<meru::FirmwareImage>();
    ASSERT_TRUE(rig.window->LoadEntryImage(rig.window->Files().FirstOfType(meru::kFileStation), station, *image));
    ASSERT_TRUE(rig.window->OpenSelectedAdapter(false));
    std::string summary;
    // The factory card's primary supplies interface versions 1..2; SA010500 needs 3..5.
    EXPECT_FALSE(rig.window->CheckStationFitsPrimary({&station}, summary));
    // The range's bottom and top are its fourth and fifth words, after the variant.
    rig.card.State().primary.supplierVariant = 0;
    rig.card.State().primary.supplierBottom = 6;
    rig.card.State().primary.supplierTop = 6;
    summary.clear();
    EXPECT_FALSE(rig.window->CheckStationFitsPrimary({&station}, summary));
    rig.card.State().primary.supplierBottom = 3;
    rig.card.State().primary.supplierTop = 4;
    rig.card.State().faults.missingRids.insert(sim::kRidPrimarySupplierRange);
    summary.clear();
    EXPECT_FALSE(rig.window->CheckStationFitsPrimary({&station}, summary)) << "an unread range fits nothing";
    EXPECT_NE(summary.find("Compatibility test failed"), std::string::npos);
    rig.card.State().faults.missingRids.clear();
    summary.clear();
    EXPECT_TRUE(rig.window->CheckStationFitsPrimary({&station}, summary)) << summary;
    rig.window->CloseAdapter();
}

}  // namespace
