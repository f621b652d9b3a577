// RunUpdate and the quiet run loop against the software card: what reaches
// the card, in which order, and what the window and the log say.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "WindowRig.h"
#include "image/Calibration.h"
#include "image/FirmwareImage.h"
#include "image/ImageInfo.h"
#include "image/Pda.h"
#include "app/PdaBackup.h"
#include "app/ResourceIds.h"
#include "base/SessionLog.h"
#include "sim/CardMemory.h"
#include "sim/CardProtocol.h"
#include "sim/FlashIdentity.h"
#include "support/TempDir.h"

namespace {

using apptest::ProcessEnded;
using apptest::WindowRig;

const std::string kShippedDir = MERU_FIRMWARE_DIR;
std::string ShippedImage(const std::string& name) { return kShippedDir + "/" + name; }

using apptest::OlderCard;

// The card's flash and production data, to tell whether anything was written.
std::vector<uint8_t> Snapshot(const sim::SoftwareCard& card) {
    std::vector<uint8_t> bytes = sim::ReadCardBytes(card.State(), 0x7E0000, 0x20000);
    const std::vector<uint8_t> station = sim::ReadCardBytes(card.State(), 0x100000, 0x20000);
    bytes.insert(bytes.end(), station.begin(), station.end());
    return bytes;
}

// One letter per request, runs of the same request folded into one.
std::string FoldedRequests(const std::vector<uint32_t>& oids) {
    std::string letters;
    for (uint32_t oid : oids) {
        char letter = '?';
        switch (oid) {
        case sim::kOidVendorDriverVersion: letter = 'V'; break;
        case sim::kOidReadRid: letter = 'R'; break;
        case sim::kOidAuxRead: letter = 'A'; break;
        case sim::kOidEnableAux: letter = 'E'; break;
        case sim::kOidDownload: letter = 'D'; break;
        case sim::kOidAuxWrite: letter = 'W'; break;
        case sim::kOidBlockProtocols: letter = 'B'; break;
        case sim::kOidUnblockProtocols: letter = 'U'; break;
        case sim::kOidConclude: letter = 'C'; break;
        case sim::kOidDriverCheck: letter = 'K'; break;
        case sim::kOidPermanentAddress: letter = 'M'; break;
        }
        if (letters.empty() || letters.back() != letter) letters += letter;
    }
    return letters;
}

bool Logged(WindowRig& rig, const std::string& line) { return rig.log.Text().find(line) != std::string::npos; }

size_t CountOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST(RunUpdate, OlderCardIsUpdatedInOrder) {
    testsupport::TempDir dir;
    const std::string pda = dir.File("serial.pda");
    // A new serial number, as a production-data file would bring it.
    testsupport::WriteWholeFile(pda, "0x0007, 0x0003, 0x3939, 0x4E4E, 0x3030, 0x3030, 0x3131, 0x3232\n");
    WindowRig rig(1, WindowRig::kPlatform, OlderCard());
    rig.Start({pda});
    ASSERT_EQ(rig.view.continueText, "Continue");
    rig.requests.oids.clear();

    rig.window->OnCommand(IDC_CONTINUE);

    EXPECT_EQ(rig.view.status, "Update Successful!");
    EXPECT_EQ(rig.window->Outcome(), meru::RunOutcome::kUpdated);
    const sim::FactoryFirmware primary = sim::ReportedFirmware(rig.card.State(), sim::Component::kPrimary);
    const sim::FactoryFirmware station = sim::ReportedFirmware(rig.card.State(), sim::Component::kStation);
    EXPECT_EQ(primary.fileName, "PK010400.HEX");
    EXPECT_EQ(station.fileName, "SA010500.HEX");
    EXPECT_EQ((std::vector<uint16_t>{primary.major, primary.minor, primary.supplierBottom, primary.supplierTop}),
              (std::vector<uint16_t>{1, 4, 2, 4}));
    EXPECT_EQ((std::vector<uint16_t>{station.major, station.minor, station.supplierBottom, station.supplierTop}),
              (std::vector<uint16_t>{1, 5, 2, 3}));
    // The card's MAC address is plugged into the station image.
    EXPECT_EQ(sim::ReadCardBytes(rig.card.State(), 0x100080, 6),
              (std::vector<uint8_t>{0x00, 0x60, 0x1D, 0x12, 0x34, 0x56}));
    // The merged PDA reached the card: the serial number is the file's.
    EXPECT_EQ(rig.window->Texts().serialNumber, "99NN00001122");

    // Open with the driver check, PDA read, comparison reads, the area read
    // twice for the backup, PDA write (prepare, block, check, enable, data,
    // check), the full PDA read that checks it, and conclusion,
    // driver check, each image (block, enable, prepare, then every block
    // written and read back from its own address: data, enable, read),
    // driver check, unblock, conclusion. PK010400 is written in 8 blocks,
    // SA010500 in 31.
    const auto blocks = [](int count) {
        std::string letters;
        for (int i = 0; i < count; ++i) letters += "DEA";
        return letters;
    };
    const std::string folded = FoldedRequests(rig.requests.oids);
    const std::string run = folded.substr(folded.rfind('V', folded.find('D')));
    EXPECT_EQ(run.substr(0, run.rfind('C') + 1),
              "VEAREAEAEDWBKEDKEACKBEDW" + blocks(8) + "BEDW" + blocks(31) + "KUC") << folded;

    // The Done state of the window.
    EXPECT_FALSE(rig.view.continueEnabled);
    EXPECT_EQ(rig.view.cancelText, "Exit");
    EXPECT_TRUE(rig.view.cancelEnabled);
    EXPECT_TRUE(rig.view.cancelFocused);
    EXPECT_FALSE(rig.view.progressShown);
    EXPECT_FALSE(rig.view.afterColumnShown);
    EXPECT_FALSE(rig.view.cautionGroupShown);
    EXPECT_EQ(rig.view.caution, "");
    EXPECT_EQ(rig.view.grid[static_cast<int>(meru::GridField::kCurrentStationRevision)], "1.5.0");
    EXPECT_EQ(rig.view.progressWindowLines, std::vector<std::string>{}) << "interactive runs show no progress window";
    EXPECT_TRUE(Logged(rig, "Updating flash\nAdapter: VELOX 11 Mbit/s Wireless LAN PC Card \n"
                            "Station Firmware: Rev 1.5.0 from SA010500.HEX \n"));
}

TEST(RunUpdate, QuietRunShowsTheProgressWindowAndEndsWithOk) {
    WindowRig rig(1, WindowRig::kPlatform, OlderCard());
    rig.Start({"-quiet"});
    EXPECT_EQ(rig.view.ended, 1);
    EXPECT_FALSE(rig.view.windowShown);
    EXPECT_EQ(rig.boxes.boxes.size(), 0u);
    ASSERT_EQ(rig.view.progressWindowLines.size(), 4u);
    EXPECT_EQ(rig.view.progressWindowLines[1],
              "Flash update in progress.  Please wait.|Adapter: VELOX 11 Mbit/s Wireless LAN PC Card |"
              "Primary Firmware: Rev 1.4.0 from PK010400.HEX ");
}

// S-record text of a shipped image whose last record names an execution address.
std::string RamImageText(const std::string& shipped) {
    std::ifstream in(shipped);
    std::string text, line;
    while (std::getline(in, line)) {
        if (line.rfind("S7", 0) == 0) line = "S70500001000EA";  // address 0x1000
        text += line + "\n";
    }
    return text;
}

TEST(RunUpdate, StopsBeforeWritingAnything) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string box;         // caption:text of the last box, "" when none is expected
        std::string statusEnd;   // "" when the status is not checked
        std::string logged;      // a line the session log must hold
        std::function<void(WindowRig&)> beforeContinue;
    };
    testsupport::TempDir dir;
    const std::string broken = dir.File("broken.hex");
    testsupport::WriteWholeFile(broken, "S3 not a record\n");
    std::vector<std::string> tooMany;
    for (int i = 0; i < 8; ++i) tooMany.push_back(dir.File("p" + std::to_string(i) + ".pda"));
    const std::string serial = dir.File("serial.pda");
    testsupport::WriteWholeFile(serial, "0x0007, 0x0003, 0x3939, 0x4E4E, 0x3030, 0x3030, 0x3131, 0x3232\n");
    const std::string unknownDomain = dir.File("domain.pda");
    testsupport::WriteWholeFile(unknownDomain, "0x0007, 0x0103, 0x0001, 0x0077, 0, 0, 0, 0\n");
    const std::string ram = dir.File("SARAM.HEX");
    testsupport::WriteWholeFile(ram, RamImageText(ShippedImage("SA010500.HEX")));
    const std::string vanishing = dir.File("SA010500.HEX");
    std::filesystem::copy_file(ShippedImage("SA010500.HEX"), vanishing);
    const std::string pdaWriteFails = "download-fail always range 0x7F0000 0x7FFFFF";
    const Case cases[] = {
        {"ten entries", tooMany, "Error:Error - Too many files at once", "", "", nullptr},
        {"an image that does not load", {broken, ShippedImage("PK010400.HEX")},
         "Cannot Continue:Error Loading Files. Update will not start.", "", "Cannot Continue:Error in file " + broken,
         nullptr},
        {"an unreadable PDA file", {dir.File("missing.pda")}, "(none):File not loaded. Format invalid?", "", "",
         nullptr},
        {"the PDA write fails", {serial}, "PDA Update Complete:PDA Update FAILED",
         "Set Point and Integrator Values Calculated.\nClick Next To Continue", "",
         [&](WindowRig& rig) {
             std::string error;
             ASSERT_TRUE(rig.card.AddFault(pdaWriteFails, error)) << error;
         }},
        {"calibration error", {unknownDomain}, "ERROR:Set Point and Integrator values could not be set", "",
         "ERROR - PDA entries found, but domain 77 not recognized!", nullptr},
        {"station does not fit the primary", {ShippedImage("PK010300.HEX")}, "",
         "ERROR - Station firmware not compatible with primary firmware...\nCannot continue.\nClick Next To Continue",
         "Update stopped after the checks:", nullptr},
        {"a RAM image after a flash image", {ram}, "Cannot Continue:Sorry, RAM downloads are not supported.", "", "",
         nullptr},
        // The card changes between the readiness check and the run's comparison.
        // (the readiness check compares both images, then the run opens the card).
        {"the primary version cannot be read in the run", {}, "",
         "***Error Encountered***Click Next To Continue", "Update stopped after the checks:",
         [](WindowRig& rig) {
             const size_t before = CountOf(rig.log.Text(), "\nStation: 1.5.0");
             rig.requests.refuseOpen = [&rig, before] {
                 if (CountOf(rig.log.Text(), "\nStation: 1.5.0") > before) {
                     rig.card.State().faults.missingRids.insert(sim::kRidPrimaryIdentity);
                 }
                 return false;
             };
         }},
        // The readiness check has found the card and chosen its firmware
        // (the press logs the choice twice); the open for comparing the
        // first image fails.
        {"the card cannot be opened for the readiness comparison", {},
         "Error:Cannot open selected adapter. Was it removed?", "", "", [](WindowRig& rig) {
             const size_t before = CountOf(rig.log.Text(), "Update To:");
             bool refused = false;
             rig.requests.refuseOpen = [&rig, before, refused]() mutable {
                 if (refused || CountOf(rig.log.Text(), "Update To:") < before + 2) return false;
                 return refused = true;
             };
         }},
        // Entered again as an image of unknown kind, it still stops the run:
        // the catalogue's station is not written in its place.
        {"an image that no longer loads", {vanishing}, "Cannot Continue:Error Loading Files. Update will not start.",
         "", "Cannot Continue:Error in file " + vanishing, [&](WindowRig&) { std::filesystem::remove(vanishing); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowRig rig(1, WindowRig::kPlatform, OlderCard());
        rig.Start(c.args);
        ASSERT_EQ(rig.view.continueText, "Continue");
        if (c.beforeContinue) c.beforeContinue(rig);
        const std::vector<uint8_t> before = Snapshot(rig.card);
        const size_t boxesBefore = rig.boxes.boxes.size();
        rig.window->OnCommand(IDC_CONTINUE);
        if (c.box.empty()) {
            EXPECT_EQ(rig.boxes.boxes.size(), boxesBefore);
        } else {
            ASSERT_GT(rig.boxes.boxes.size(), boxesBefore);
            EXPECT_EQ(rig.boxes.boxes.back().caption + ":" + rig.boxes.boxes.back().text, c.box);
        }
        if (!c.statusEnd.empty()) {
            ASSERT_GE(rig.view.status.size(), c.statusEnd.size()) << rig.view.status;
            EXPECT_EQ(rig.view.status.substr(rig.view.status.size() - c.statusEnd.size()), c.statusEnd);
        }
        EXPECT_TRUE(c.logged.empty() || Logged(rig, c.logged + "\n")) << rig.log.Text();
        EXPECT_TRUE(Snapshot(rig.card) == before) << "nothing reached the flash";
        EXPECT_EQ(rig.window->Outcome(), meru::RunOutcome::kNone);
        EXPECT_FALSE(rig.window->Adapter().IsOpen());
    }
}

// ProgramImage keeps its own guard against RAM images: refused before any traffic.
TEST(ProgramImage, RamImageIsRefusedBeforeAnyRequest) {
    testsupport::TempDir dir;
    const std::string ram = dir.File("SARAM.HEX");
    testsupport::WriteWholeFile(ram, RamImageText(ShippedImage("SA010500.HEX")));
    WindowRig rig(1, WindowRig::kPlatform, OlderCard());
    rig.Start();
    meru::ImageInfo info;
    auto image = std::make_unique<meru::FirmwareImage>();
    ASSERT_NE(info.LoadFile(ram, image.get(), nullptr), 0);
    ASSERT_TRUE(rig.window->OpenSelectedAdapter(false));
    rig.requests.oids.clear();
    EXPECT_FALSE(rig.window->ProgramImage(*image, true, "1.5.0", ram));
    rig.window->CloseAdapter();
    EXPECT_TRUE(rig.requests.oids.empty());
    ASSERT_FALSE(rig.boxes.boxes.empty());
    EXPECT_EQ(rig.boxes.boxes.back().text, "Sorry, RAM downloads are not supported.");
}

// A PDA read that fails during the run stops it: going on would plug an
// empty PDA into the images, or replace the card's PDA by the files' records.
TEST(RunUpdate, UnreadableCardPdaStopsTheRun) {
    testsupport::TempDir dir;
    const std::string pda = dir.File("serial.pda");
    testsupport::WriteWholeFile(pda, "0x0007, 0x0003, 0x3939, 0x4E4E, 0x3030, 0x3030, 0x3131, 0x3232\n");
    for (const std::vector<std::string>& args : {std::vector<std::string>{pda}, std::vector<std::string>{}}) {
        SCOPED_TRACE(args.empty() ? "images only" : "with a .pda file");
        WindowRig rig(1, WindowRig::kPlatform, OlderCard());
        rig.Start(args);
        const std::vector<uint8_t> before = Snapshot(rig.card);
        // The readiness check reads the PDA once more; the run's own read is refused.
        sim::FaultTrigger second;
        second.mode = sim::FaultTrigger::kNth;
        second.nth = 2;
        rig.card.State().faults.refusals.push_back({sim::kOidAuxRead, second, 0xC0000001});
        rig.window->OnCommand(IDC_CONTINUE);
        EXPECT_TRUE(Snapshot(rig.card) == before) << "nothing written";
        ASSERT_FALSE(rig.boxes.boxes.empty());
        EXPECT_EQ(rig.boxes.boxes.back().caption, "Cannot Continue");
        EXPECT_TRUE(Logged(rig, "PDA read error!\n"));
        EXPECT_FALSE(rig.window->Adapter().IsOpen());
    }
}

TEST(RunUpdate, QuietOutcomesAndExitCodes) {
    struct Case {
        const char* name;
        sim::FactoryOptions card;
        std::vector<std::string> args;
        int ended;   // 1 OK (exit 0), 0 Cancel (exit 1)
        int outcome;  // a RunOutcome
        uint64_t downloads;  // 0: none, 1: some
        bool updatedBefore = false;  // the card holds what an earlier quiet update wrote
        std::string fault = {};      // set on the card before the run
        std::string logged = {};     // a line the session log must hold
        bool stationByteChanged = false;  // one byte of the station's flash changed before the run
    };
    sim::FactoryOptions same;
    same.primary = apptest::Firmware(same.primary, 1, 4, 0);
    same.station = apptest::Firmware(same.station, 1, 5, 0);
    sim::FactoryOptions newer;
    newer.primary = apptest::Firmware(newer.primary, 1, 5, 0);
    newer.station = apptest::Firmware(newer.station, 1, 6, 0);
    const std::string older = ShippedImage("SA010300.HEX");
    const auto Half = [](sim::FactoryOptions options, uint16_t major, uint16_t minor) {
        options.station = apptest::Firmware(options.station, major, minor, 0);
        return options;
    };
    sim::FactoryOptions olderPrimary = same;  // the primary is an upgrade, so nothing is skipped
    olderPrimary.primary = apptest::Firmware(same.primary, 1, 3, 0);
    testsupport::TempDir dir;
    std::vector<std::string> nineEntries = {"-quiet"};  // seven .pda files and the catalogue's two images
    for (int i = 0; i < 7; ++i) {
        nineEntries.push_back(dir.File("serial" + std::to_string(i) + ".pda"));
        testsupport::WriteWholeFile(nineEntries.back(), "0x0003, 0x0003, 0x3939, 0x4E4E\n");
    }
    sim::FactoryOptions sameStationOlderPrimary = same;  // reports what PK010300 and SA010500 are
    sameStationOlderPrimary.primary = apptest::Firmware(same.primary, 1, 3, 0);
    const std::string stationRange = "range 0x100000 0x11FFFF";
    const Case cases[] = {
        {"older card", OlderCard(), {"-quiet"}, 1, 1, 1},
        {"up to date: skipped", OlderCard(), {"-quiet"}, 1, 2, 0, true, "",
         "No update needed: the card's flash already holds the queued firmware.\n"
         "Product Part Number: "},
        {"up to date: the skip's summary", OlderCard(), {"-quiet"}, 1, 2, 0, true, "",
         "Unneeded reflash skipped.\n\nSelected Hex files already in flash.\n"},
        // A refused read during the flash check is tried again; a flash that
        // cannot be read is not written.
        {"up to date, one read of the flash refused", OlderCard(), {"-quiet"}, 1, 2, 0, true,
         "read-refuse once " + stationRange},
        {"up to date, the flash cannot be read", OlderCard(), {"-quiet"}, 0, 0, 0, true,
         "read-refuse always " + stationRange, "The card's flash could not be read, so nothing was written.\n"},
        {"up to date but the station's flash differs", OlderCard(), {"-quiet"}, 1, 1, 1, true, "",
         "they are written again.\n", true},
        // The flash differs, but the station does not fit the primary queued with it.
        {"same versions reported, other flash, station not fitting", sameStationOlderPrimary,
         {"-quiet", ShippedImage("PK010300.HEX")}, 0, 0, 0, false, "",
         "ERROR - Station firmware not compatible with primary firmware...\n"},
        {"nine entries", OlderCard(), nineEntries, 1, 1, 1},
        // The versions it reports are the catalogue's, but not its flash:
        // an image cut short after its identity block was written.
        {"same versions reported, other flash: written", same, {"-quiet"}, 1, 1, 1},
        {"same versions, -olderOK: written again", same, {"-quiet", "-olderOK"}, 1, 1, 1},
        {"newer card, embedded images, -olderOK", newer, {"-quiet", "-olderOK"}, 0, 0, 0},
        {"older command-line station", olderPrimary, {"-quiet", older}, 0, 0, 0},
        {"older command-line station, -olderOK", olderPrimary, {"-quiet", "-olderOK", older}, 1, 1, 1},
        // A run that stopped half way: the component at the catalogue's
        // version is written again along with the other one's upgrade.
        {"half-updated: station older", Half(same, 1, 4), {"-quiet"}, 1, 1, 1},
        {"half-updated: primary older", olderPrimary, {"-quiet"}, 1, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<sim::SoftwareCard> updated;
        if (c.updatedBefore) {  // one rig at a time: a rig's end resets the log and the catalogue
            WindowRig before(1, WindowRig::kPlatform, c.card);
            before.Start({"-quiet"});
            ASSERT_EQ(before.window->Outcome(), meru::RunOutcome::kUpdated);
            updated = before.card;
        }
        WindowRig rig(1, WindowRig::kPlatform, c.card);
        if (updated) {
            rig.card = *updated;
            rig.card.ResetCounters();
        }
        std::string error;
        ASSERT_TRUE(c.fault.empty() || rig.card.AddFault(c.fault, error)) << error;
        if (c.stationByteChanged) {
            const uint8_t changed = static_cast<uint8_t>(~sim::ReadCardByte(rig.card.State(), 0x101000));
            ASSERT_TRUE(sim::WriteCardBytes(rig.card.State(), 0x101000, &changed, 1));
        }
        rig.Start(c.args);
        EXPECT_EQ(rig.view.ended, c.ended);
        EXPECT_EQ(static_cast<int>(rig.window->Outcome()), c.outcome);
        EXPECT_EQ(rig.Requests(sim::kOidDownload) > 0, c.downloads > 0);
        EXPECT_TRUE(c.logged.empty() || Logged(rig, c.logged)) << rig.log.Text();
    }
}

TEST(RunUpdate, RepeatRunsWhileUpdatedAndDelayWaits) {
    WindowRig rig(1, WindowRig::kPlatform, OlderCard());
    rig.Start({"-quiet", "-olderOK", "-repeat", "3", "-delay", "2"});
    EXPECT_EQ(rig.view.ended, 1);
    EXPECT_EQ(rig.system.slept, (std::vector<uint32_t>{2000, 2000, 2000}));
    EXPECT_EQ(rig.Requests(sim::kOidUnblockProtocols), 3u) << "three programming runs";

    WindowRig once(1, WindowRig::kPlatform, OlderCard());
    once.Start({"-quiet", "-repeat", "3"});  // the second run finds the card up to date
    EXPECT_EQ(once.Requests(sim::kOidUnblockProtocols), 1u);
    EXPECT_EQ(once.window->Outcome(), meru::RunOutcome::kSkipped);
    EXPECT_EQ(once.view.ended, 1);
}

// Every pass of -repeat says what it came to, and the session succeeds only
// when every pass updated the card or found it up to date. The loop goes on
// through passes without a card (one may be being swapped) and ends at a
// card whose pass stops, whatever N is.
TEST(RunUpdate, RepeatLogsEveryPassAndFailsOnAnyFailedPass) {
    struct Case {
        const char* name;
        std::string repeat;
        std::function<void(WindowRig&, size_t pass)> afterPass;  // in the delay after each pass
        std::vector<std::string> passes;  // the log lines, in order
    };
    sim::FactoryOptions newer;
    newer.primary = apptest::Firmware(newer.primary, 1, 5, 0);
    newer.station = apptest::Firmware(newer.station, 1, 6, 0);
    const auto swapForNewer = [newer](WindowRig& rig, size_t pass) {
        if (pass == 1) rig.card = sim::SoftwareCard::Factory(2, WindowRig::kPlatform, newer);  // a downgrade, refused
    };
    const Case cases[] = {
        {"card pulled", "3", [](WindowRig& rig, size_t pass) { if (pass == 1) rig.library.DetachCards(); },
         {"pass 1 of 3: updated", "pass 2 of 3: no adapter", "pass 3 of 3: no adapter"}},
        {"card pulled, then another older card", "3",
         [](WindowRig& rig, size_t pass) {
             if (pass == 1) rig.library.DetachCards();
             if (pass == 2) {
                 rig.card = sim::SoftwareCard::Factory(2, WindowRig::kPlatform, OlderCard());
                 rig.library.AttachCard(rig.card);
             }
         },
         {"pass 1 of 3: updated", "pass 2 of 3: no adapter", "pass 3 of 3: updated"}},
        {"card swapped for a refused one", "3", swapForNewer, {"pass 1 of 3: updated", "pass 2 of 3: refused"}},
        {"a card that stops, N at its largest", "2147483647", swapForNewer,
         {"pass 1 of 2147483647: updated", "pass 2 of 2147483647: refused"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowRig rig(1, WindowRig::kPlatform, OlderCard());
        rig.system.onSleep = [&] {
            // A loop that does not end at the pass it should would run for ever.
            if (rig.system.slept.size() > c.passes.size()) throw std::runtime_error("the loop goes on");
            c.afterPass(rig, rig.system.slept.size());
        };
        rig.Start({"-quiet", "-repeat", c.repeat, "-delay", "1"});
        EXPECT_EQ(rig.view.ended, 0) << "exit code 1";
        std::string passes;
        for (const std::string& line : c.passes) passes += line + "\n";
        std::string logged;
        const std::string text = rig.log.Text();
        for (size_t at = text.find("\npass "); at != std::string::npos; at = text.find("\npass ", at + 1)) {
            logged += text.substr(at + 1, text.find('\n', at + 1) - at);
        }
        EXPECT_EQ(logged, passes);
        EXPECT_EQ(rig.system.slept.size(), c.passes.size());
    }
}

// No value of -repeat or -delay overflows: N <= 1 is one run, a long delay
// is the longest sleep there is, a negative one none.
TEST(RunUpdate, RepeatAndDelayAtTheirLimits) {
    struct Case {
        std::vector<std::string> args;
        uint64_t programmingRuns;
        std::vector<uint32_t> slept;
    };
    const Case cases[] = {
        {{"-quiet", "-olderOK", "-repeat", "-2147483648"}, 1, {}},
        {{"-quiet", "-olderOK", "-repeat", "-99999999999", "-delay", "-2147483648"}, 1, {}},
        // The second run finds nothing newer and ends the loop after its delay.
        {{"-quiet", "-repeat", "2147483647", "-delay", "2147483647"}, 1, {0xFFFFFFFEu, 0xFFFFFFFEu}},
        {{"-quiet", "-repeat", "3", "-delay", "1"}, 1, {1000, 1000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[3]);
        WindowRig rig(1, WindowRig::kPlatform, OlderCard());
        rig.Start(c.args);
        EXPECT_EQ(rig.view.ended, 1);
        EXPECT_EQ(rig.Requests(sim::kOidUnblockProtocols), c.programmingRuns);
        EXPECT_EQ(rig.system.slept, c.slept);
    }
}

// The first block that fails ends the programming; a quiet run logs the
// question it cannot ask right there, an interactive one asks nothing.
TEST(RunUpdate, DownloadFailureIsFatal) {
    const std::string fatal =
        "Fatal Error: Card Write Failure detected.  The adapter card may have become non-functional.  "
        "Click OK to exit.";
    for (const bool quiet : {true, false}) {
        SCOPED_TRACE(quiet ? "quiet" : "interactive");
        WindowRig failing(1, WindowRig::kPlatform, OlderCard());
        sim::DownloadFailure failure;
        failure.status = 0xC0000001;
        failure.range = sim::AddressRange{0x100000, 0x10FFFF};
        failing.card.State().faults.downloadFailures.push_back(failure);
        try {
            if (quiet) {
                failing.Start({"-quiet"});
            } else {
                failing.Start();
                failing.window->OnCommand(IDC_CONTINUE);
            }
            FAIL() << "the process should have ended";
        } catch (const ProcessEnded& ended) {
            EXPECT_EQ(ended.code, 1);
        }
        const std::string question = "Programming error.:Error programming block. Continue anyway?\n";
        EXPECT_EQ(Logged(failing, question + "Update FAILED\n"), quiet) << failing.log.Text();
        EXPECT_TRUE(Logged(failing, "Update FAILED\n"));
        EXPECT_TRUE(Logged(failing, fatal + "\n"));
        std::vector<std::string> shown;
        for (const auto& box : failing.boxes.boxes) shown.push_back(box.text);
        EXPECT_EQ(shown, quiet ? std::vector<std::string>{} : std::vector<std::string>{fatal});
        EXPECT_EQ(failing.Requests(sim::kOidUnblockProtocols), 1u) << "protocols unblocked on the fatal path";
        EXPECT_FALSE(failing.window->Adapter().IsOpen());
    }
}

TEST(RunUpdate, CancelIsIgnoredWhileProgramming) {
    WindowRig rig(1, WindowRig::kPlatform, OlderCard());
    rig.Start();
    // The progress bar moves from inside the programming: press Cancel there.
    int presses = 0;
    rig.view.progress.hook = [&] {
        ++presses;
        rig.window->OnCancel();
    };
    rig.window->OnCommand(IDC_CONTINUE);
    EXPECT_GT(presses, 0);
    EXPECT_EQ(rig.view.ended, -1);
    EXPECT_EQ(rig.view.status, "Update Successful!");
    rig.window->OnCommand(IDC_CANCEL);
    EXPECT_EQ(rig.view.ended, 0) << "Exit after a successful update ends with Cancel (exit code 1)";
}

}  // namespace

namespace {

TEST(RunUpdate, FilesHandedOverDuringARunWaitForItsEnd) {
    WindowRig rig(1, WindowRig::kPlatform, OlderCard());
    rig.Start();
    const std::string extra = ShippedImage("SA010300.HEX");
    // A second start's hand-over arrives while a box of the run is open.
    rig.view.progress.hook = [&] { rig.window->OnHandedOverFile(extra); };
    rig.window->OnCommand(IDC_CONTINUE);
    rig.view.progress.hook = nullptr;
    EXPECT_EQ(rig.view.status, "Update Successful!");
    EXPECT_EQ(sim::ReportedFirmware(rig.card.State(), sim::Component::kStation).fileName, "SA010500.HEX");
    EXPECT_EQ(rig.window->Files().At(rig.window->Files().FirstOfType(meru::kFileStation))->path, extra)
        << "entered once the run was over";
}

}  // namespace

namespace {

// The production data is saved before the queued .pda file replaces it, and
// queuing the saved file with the station image gives the card its data back.
TEST(PdaBackup, WrittenBeforeTheMergedPdaAndRestoresIt) {
    testsupport::TempDir dir;
    const std::string serial = dir.File("serial.pda");
    testsupport::WriteWholeFile(serial, "0x0007, 0x0003, 0x3939, 0x4E4E, 0x3030, 0x3030, 0x3131, 0x3232\n");
    WindowRig rig(1, WindowRig::kPlatform, OlderCard());
    const std::vector<uint16_t> original = sim::ReadCardWords(rig.card.State(), 0x7F0000, 512);
    rig.Start({"-quiet", serial});
    ASSERT_EQ(rig.view.ended, 1);
    ASSERT_NE(sim::ReadCardWords(rig.card.State(), 0x7F0000, 512), original);

    const std::string folder = rig.log.Path().substr(0, rig.log.Path().find_last_of('/') + 1);
    const std::string backup = folder + "pda-00601D123456-00601D123456-20261208-060509.pda";
    EXPECT_NE(rig.log.Text().find("PDA backup written to " + backup + "\n"), std::string::npos);

    WindowRig restore(1, WindowRig::kPlatform);
    restore.card = rig.card;
    restore.log.Reset();
    restore.Start({"-quiet", "-olderOK", backup, ShippedImage("SA010500.HEX")});
    EXPECT_EQ(restore.view.ended, 1);
    // Every record comes back as it was. A run that merges .pda files also
    // derives the calibration records 0x0300/0x0301 from the tables, so those
    // stay: they are what the restored tables give.
    meru::Pda before, after;
    before.ParseWords(original.data(), 512);
    const std::vector<uint16_t> restored = sim::ReadCardWords(restore.card.State(), 0x7F0000, 512);
    after.ParseWords(restored.data(), 512);
    meru::Pda derived = before;
    ASSERT_EQ(meru::ComputeCalibrationRecords(derived), meru::kCalibrationAdded);
    EXPECT_EQ(after.Records(), derived.Records());
}

// Without a backup that reads back, the update writes nothing at all: no
// PDA, no firmware; a quiet run ends with exit code 1 and the reason.
TEST(PdaBackup, ABackupThatCannotBeWrittenStopsTheUpdate) {
    testsupport::TempDir dir;
    const std::string serial = dir.File("serial.pda");
    testsupport::WriteWholeFile(serial, "0x0007, 0x0003, 0x3939, 0x4E4E, 0x3030, 0x3030, 0x3131, 0x3232\n");
    WindowRig rig(1, WindowRig::kPlatform, OlderCard());
    const std::string folder = rig.log.Path().substr(0, rig.log.Path().find_last_of('/') + 1);
    // Folders where the file would go (the fake clock's time), under every
    // name it may take: it cannot be written.
    const std::string stem = folder + "pda-00601D123456-00601D123456-20261208-060509";
    std::filesystem::create_directory(stem + ".pda");
    for (int n = 2; n <= meru::kMaxBackupsPerSecond; ++n) {
        std::filesystem::create_directory(stem + "-" + std::to_string(n) + ".pda");
    }
    const sim::SparseFlash flash = rig.card.State().flash;
    rig.Start({"-quiet", serial});
    EXPECT_EQ(rig.view.ended, 0) << "exit code 1";
    EXPECT_NE(rig.log.Text().find("The card's PDA could not be saved first: every name for the PDA backup"),
              std::string::npos)
        << rig.log.Text();
    EXPECT_NE(rig.log.Text().find("Nothing was written to the card."), std::string::npos);
    EXPECT_TRUE(rig.card.State().flash == flash) << "neither the PDA nor any image was written";
}

}  // namespace
