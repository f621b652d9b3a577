#include <gtest/gtest.h>

#include <deque>

#include "HandleFixture.h"
#include "PdaWords.h"
#include "image/FirmwareImage.h"
#include "image/Pda.h"

using namespace cardtest;
using Message = RecordingProgressBar::Message;

namespace {

std::vector<uint8_t> Pattern(size_t count, uint8_t seed) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
    return bytes;
}

class FlashProgrammerTest : public HandleFixture {
protected:
    void SetUp() override { OpenAndForget(true); }

    void Append(uint32_t address, const std::vector<uint8_t>& bytes) {
        ASSERT_TRUE(image.AppendBytes(bytes.data(), address, static_cast<uint16_t>(bytes.size())));
    }
    meru::AuxRecord Block(uint32_t address, const std::vector<uint8_t>& bytes) {
        meru::AuxRecord record;
        record.SetAddress(address);
        record.SetCount(static_cast<uint16_t>(bytes.size()));
        std::copy(bytes.begin(), bytes.end(), record.Data());
        return record;
    }
    // (address, count) of every download after the preparation's empty one.
    std::vector<std::pair<uint32_t, uint16_t>> Downloads() {
        std::vector<std::pair<uint32_t, uint16_t>> blocks;
        for (const SentRequest& request : library.SentWith(meru::OID_CARD_DOWNLOAD))
            if (request.AuxCount() != 0) blocks.emplace_back(request.AuxAddress(), request.AuxCount());
        return blocks;
    }

    meru::FirmwareImage image;
    RecordingProgressBar progress;
};

TEST_F(FlashProgrammerTest, PrepareDownloadSequence) {
    library.refused[meru::OID_CARD_DOWNLOAD] = kStatusFailure;  // not used
    EXPECT_TRUE(handle.PrepareDownload());
    EXPECT_EQ(library.Oids(), (std::vector<uint32_t>{meru::OID_CARD_ENABLE_AUX, meru::OID_CARD_DOWNLOAD,
                                                     meru::OID_CARD_AUX_WRITE}));
    const SentRequest& empty = library.sent[1];
    EXPECT_EQ(empty.type, meru::kRequestSet);
    EXPECT_EQ(empty.length, 6u);
    EXPECT_EQ(empty.bytes, std::vector<uint8_t>(6, 0));
    const SentRequest& prepare = library.sent[2];
    EXPECT_EQ(prepare.type, meru::kRequestSet);
    EXPECT_EQ(prepare.length, 8u);
    EXPECT_EQ(prepare.bytes, (std::vector<uint8_t>{0x66, 0xDE, 0x7F, 0x00, 0x02, 0x00, 0x00, 0xE1}));
    EXPECT_EQ(sleeps, (std::vector<uint32_t>{5}));

    library.refused[meru::OID_CARD_AUX_WRITE] = kStatusFailure;
    EXPECT_FALSE(handle.PrepareDownload());
}

TEST_F(FlashProgrammerTest, PreparationOfAnMx100GoesToItsOwnAddress) {
    handle.Close();
    SetMacType(1);
    OpenAndForget(true);
    handle.PrepareDownload();
    EXPECT_EQ(library.SentWith(meru::OID_CARD_AUX_WRITE)[0].AuxAddress(), 0x1FEE66u);
}

TEST_F(FlashProgrammerTest, WriteBlockSkipsWhatTheCardAlreadyHolds) {
    const std::vector<uint8_t> data = Pattern(64, 3);
    library.SetMemory(0x7E1000, data);
    EXPECT_TRUE(handle.WriteBlock(Block(0x7E1000, data), false, false));
    EXPECT_EQ(library.Oids(), (std::vector<uint32_t>{meru::OID_CARD_ENABLE_AUX, meru::OID_CARD_AUX_READ}));
    EXPECT_EQ(library.sent[1].AuxAddress(), 0x7E1000u);
    EXPECT_EQ(library.sent[1].AuxCount(), 64);

    library.sent.clear();
    const std::vector<uint8_t> changed = Pattern(64, 4);
    EXPECT_TRUE(handle.WriteBlock(Block(0x7E1000, changed), false, false));
    EXPECT_EQ(library.Count(meru::OID_CARD_DOWNLOAD), 1u);
    EXPECT_EQ(library.Memory(0x7E1000, 64), changed);

    library.sent.clear();
    library.refused[meru::OID_CARD_AUX_READ] = kStatusFailure;
    EXPECT_FALSE(handle.WriteBlock(Block(0x7E1000, data), false, false));
    EXPECT_EQ(library.Count(meru::OID_CARD_DOWNLOAD), 0u);
}

TEST_F(FlashProgrammerTest, ALastByteThatDiffersIsWrittenWithoutForce) {
    const std::vector<uint8_t> data = Pattern(2042, 7);
    std::vector<uint8_t> onCard = data;
    onCard.back() ^= 0x01;
    library.SetMemory(0x7E2000, onCard);
    EXPECT_TRUE(handle.WriteBlock(Block(0x7E2000, data), false, false));
    EXPECT_EQ(library.Count(meru::OID_CARD_DOWNLOAD), 1u);
    EXPECT_EQ(library.Memory(0x7E2000, 2042), data);
}

TEST_F(FlashProgrammerTest, WriteBlockTriesTwice) {
    const std::vector<uint8_t> data = Pattern(10, 1);
    library.scripted[meru::OID_CARD_DOWNLOAD] = {kStatusFailure, 0};
    EXPECT_TRUE(handle.WriteBlock(Block(0x7E0000, data), true, false));
    EXPECT_EQ(library.Count(meru::OID_CARD_DOWNLOAD), 2u);
    EXPECT_EQ(library.Memory(0x7E0000, 10), data);

    library.sent.clear();
    library.scripted[meru::OID_CARD_DOWNLOAD] = {kStatusFailure, kStatusFailure, 0};
    EXPECT_FALSE(handle.WriteBlock(Block(0x7E0000, data), true, false));
    EXPECT_EQ(library.Count(meru::OID_CARD_DOWNLOAD), 2u);
}

// Whether the card holds an image of two blocks (2042 and 958 bytes): a
// refused read is tried once more, and a block that cannot be read is no
// difference.
TEST_F(FlashProgrammerTest, HoldsImageTellsUnreadableFromDifferent) {
    using Contents = meru::AdapterHandle::FlashContents;
    struct Case {
        const char* name;
        bool secondDiffers;
        std::deque<uint32_t> readStatuses;  // of the first aux reads, then success
        Contents expected;
        size_t reads;
    };
    const std::vector<uint8_t> data = Pattern(3000, 5);
    Append(0x7E1000, data);
    const Case cases[] = {
        {"held", false, {}, Contents::kHeld, 2},
        {"the second block differs", true, {}, Contents::kDifferent, 2},
        {"a read refused once", false, {0, kStatusFailure}, Contents::kHeld, 3},
        {"a read refused twice", false, {kStatusFailure, kStatusFailure}, Contents::kUnreadable, 2},
        {"unreadable after a held block", true, {0, kStatusFailure, kStatusFailure}, Contents::kUnreadable, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> onCard = data;
        if (c.secondDiffers) onCard.back() ^= 0x80;
        library.SetMemory(0x7E1000, onCard);
        library.sent.clear();
        library.scripted[meru::OID_CARD_AUX_READ] = c.readStatuses;
        EXPECT_EQ(handle.HoldsImage(image), c.expected);
        EXPECT_EQ(library.Count(meru::OID_CARD_AUX_READ), c.reads);
        EXPECT_EQ(library.Count(meru::OID_CARD_DOWNLOAD), 0u);
    }
}

TEST_F(FlashProgrammerTest, VerifyReadsBackTheBlockItsOwnAddressAndCount) {
    const std::vector<uint8_t> data = Pattern(300, 9);
    EXPECT_TRUE(handle.WriteBlock(Block(0x7E2000, data), true, true));
    EXPECT_EQ(library.Oids(), (std::vector<uint32_t>{meru::OID_CARD_DOWNLOAD, meru::OID_CARD_ENABLE_AUX,
                                                     meru::OID_CARD_AUX_READ}));
    EXPECT_EQ(library.sent[2].AuxAddress(), 0x7E2000u);
    EXPECT_EQ(library.sent[2].AuxCount(), 300);

    library.ignoreDownloads = true;  // written, but the card holds something else
    EXPECT_FALSE(handle.WriteBlock(Block(0x7E3000, data), true, true));
    EXPECT_TRUE(handle.WriteBlock(Block(0x7E3000, data), true, false));

    library.ignoreDownloads = false;
    library.refused[meru::OID_CARD_AUX_READ] = kStatusFailure;
    EXPECT_FALSE(handle.WriteBlock(Block(0x7E4000, data), true, true));
}

TEST_F(FlashProgrammerTest, OversizedCountIsNeverSent) {
    meru::AuxRecord record;
    record.SetAddress(0x7E0000);
    record.SetCount(2043);
    EXPECT_FALSE(handle.AuxWrite(record));
    EXPECT_FALSE(handle.WriteBlock(record, true, true));
    EXPECT_FALSE(handle.WriteBlock(record, false, false));
    EXPECT_TRUE(library.sent.empty());
}

TEST_F(FlashProgrammerTest, ImageIsCutAtSixtyFourKibAndProgressFollowsTheBlocks) {
    const std::vector<uint8_t> data = Pattern(100, 5);
    Append(0xFFF0, data);
    EXPECT_TRUE(handle.ProgramImage(image, &progress, true, false).Written());

    EXPECT_EQ(events.resets, (std::vector<meru::EventRef>{handle.Overlapped().event}));
    EXPECT_EQ(progress.messages, (std::vector<Message>{{0x0401, 0, 2 << 16},
                                                       {0x0402, 1, 0},
                                                       {0x0402, 0, 0},
                                                       {0x0402, 1, 0},
                                                       {0x0402, 2, 0}}));
    EXPECT_EQ(library.Oids(), (std::vector<uint32_t>{meru::OID_CARD_BLOCK_PROTOCOLS, meru::OID_CARD_ENABLE_AUX,
                                                     meru::OID_CARD_ENABLE_AUX, meru::OID_CARD_DOWNLOAD,
                                                     meru::OID_CARD_AUX_WRITE, meru::OID_CARD_DOWNLOAD,
                                                     meru::OID_CARD_DOWNLOAD}));
    EXPECT_EQ(Downloads(), (std::vector<std::pair<uint32_t, uint16_t>>{{0xFFF0, 16}, {0x10000, 84}}));
    EXPECT_EQ(library.sent.back().length, 90u);
    EXPECT_EQ(library.Memory(0xFFF0, 100), data);
    EXPECT_TRUE(library.Count(meru::OID_CARD_UNBLOCK_PROTOCOLS) == 0);  // left blocked
}

TEST_F(FlashProgrammerTest, LongBlocksAreCutToTheRequestSize) {
    Append(0x7E0000, Pattern(5000, 1));
    Append(0x7EFF00, Pattern(3000, 2));
    EXPECT_TRUE(handle.ProgramImage(image, &progress, true, false).Written());
    // The range counts the requests, not the image's two blocks.
    ASSERT_EQ(progress.messages.size(), 3u + 6u);
    EXPECT_EQ(progress.messages[0], (Message{0x0401, 0, 6 << 16}));
    EXPECT_EQ(progress.messages.back(), (Message{0x0402, 6, 0}));
    EXPECT_EQ(Downloads(), (std::vector<std::pair<uint32_t, uint16_t>>{{0x7E0000, 2042},
                                                                       {0x7E07FA, 2042},
                                                                       {0x7E0FF4, 916},
                                                                       {0x7EFF00, 256},
                                                                       {0x7F0000, 2042},
                                                                       {0x7F07FA, 702}}));
    EXPECT_EQ(library.Memory(0x7EFF00, 3000), Pattern(3000, 2));

    // The same image again without force: the card holds it, nothing is downloaded.
    library.sent.clear();
    EXPECT_TRUE(handle.ProgramImage(image, nullptr, false, false).Written());
    EXPECT_TRUE(Downloads().empty());
    EXPECT_EQ(library.Count(meru::OID_CARD_AUX_READ), 6u);
}

TEST_F(FlashProgrammerTest, EmptyImageSetsAnEmptyRangeAndWritesNothing) {
    EXPECT_TRUE(handle.ProgramImage(image, &progress, true, true).Written());
    EXPECT_EQ(progress.messages, (std::vector<Message>{{0x0401, 0, 0}, {0x0402, 1, 0}, {0x0402, 0, 0}}));
    EXPECT_TRUE(Downloads().empty());
    EXPECT_EQ(library.Count(meru::OID_CARD_AUX_WRITE), 1u);
}

// The reasons go back to the caller, which shows the boxes
// (ProgramFailureBoxesTest); the card layer shows none.
TEST_F(FlashProgrammerTest, SetupRefusalsAreReturnedAndWriteNothing) {
    library.refused[meru::OID_CARD_BLOCK_PROTOCOLS] = kStatusFailure;
    Append(0x7E0000, Pattern(16, 0));
    EXPECT_EQ(handle.ProgramImage(image, &progress, true, false).outcome,
              meru::ProgramResult::Outcome::kProtocolsNotBlocked);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(library.Count(meru::OID_CARD_DOWNLOAD), 0u);

    library.refused.clear();
    library.refused[meru::OID_CARD_ENABLE_AUX] = kStatusFailure;
    EXPECT_EQ(handle.ProgramImage(image, nullptr, true, false).outcome, meru::ProgramResult::Outcome::kAuxNotEnabled);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(library.Count(meru::OID_CARD_DOWNLOAD), 0u);
}

TEST_F(FlashProgrammerTest, ClosedHandleProgramsNothing) {
    handle.Close();
    Append(0x7E0000, Pattern(16, 0));
    EXPECT_FALSE(handle.ProgramImage(image, &progress, true, false).Written());
    EXPECT_TRUE(progress.messages.empty());
    EXPECT_TRUE(library.sent.empty());
}

// Three separate blocks; the downloads of the second one are refused.
class FailedBlockTest : public FlashProgrammerTest {
protected:
    void SetUp() override {
        FlashProgrammerTest::SetUp();
        Append(0x7E0000, Pattern(16, 1));
        Append(0x7E1000, Pattern(16, 2));
        Append(0x7E2000, Pattern(16, 3));
        // Preparation's empty download, block 1, then both attempts of block 2.
        library.scripted[meru::OID_CARD_DOWNLOAD] = {0, 0, kStatusFailure, kStatusFailure};
    }
    bool Written(uint32_t address, uint8_t seed) { return library.Memory(address, 16) == Pattern(16, seed); }
    std::vector<Message> Positions() {
        std::vector<Message> positions(progress.messages.begin() + 3, progress.messages.end());
        return positions;
    }
};

TEST_F(FailedBlockTest, TheFirstFailureEndsTheRunWithTheBlockAndItsStatus) {
    const meru::ProgramResult result = handle.ProgramImage(image, &progress, true, false);
    EXPECT_EQ(result.outcome, meru::ProgramResult::Outcome::kBlockFailed);
    EXPECT_EQ(result.block, 2);
    EXPECT_EQ(result.address, 0x7E1000u);
    EXPECT_EQ(result.status, kStatusFailure);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_TRUE(Written(0x7E0000, 1));
    EXPECT_FALSE(Written(0x7E2000, 3));
    EXPECT_EQ(Positions(), (std::vector<Message>{{0x0402, 1, 0}}));
}

class WritePdaTest : public FlashProgrammerTest {
protected:
    meru::Pda pda;
    void SetUp() override {
        FlashProgrammerTest::SetUp();
        const std::vector<uint16_t> stream = PdaStream({{4, 0x0101, 0x6000, 0x121D, 0x5634}});
        pda.ParseWords(stream.data(), static_cast<uint16_t>(stream.size()));
    }
};

TEST_F(WritePdaTest, WritesTheSerialisedAreaBetweenDriverChecks) {
    EXPECT_TRUE(handle.WritePda(pda, true, false));
    EXPECT_EQ(library.Oids(),
              (std::vector<uint32_t>{meru::OID_CARD_ENABLE_AUX, meru::OID_CARD_DOWNLOAD, meru::OID_CARD_AUX_WRITE,
                                     meru::OID_CARD_BLOCK_PROTOCOLS, meru::OID_CARD_DRIVER_CHECK,
                                     meru::OID_CARD_ENABLE_AUX, meru::OID_CARD_DOWNLOAD, meru::OID_CARD_DRIVER_CHECK}));
    EXPECT_EQ(events.resets.size(), 1u);
    const std::vector<uint16_t> expected = PdaStream({{4, 0x0101, 0x6000, 0x121D, 0x5634}});
    EXPECT_EQ(Downloads(), (std::vector<std::pair<uint32_t, uint16_t>>{{0x7F0000, 16}}));
    EXPECT_EQ(library.Memory(0x7F0000, 16), WordBytes(expected));
    EXPECT_EQ(library.sent[4].bytes, std::vector<uint8_t>(8, 0));

    // The card already holds it: compared, not written.
    library.sent.clear();
    EXPECT_TRUE(handle.WritePda(pda, false, false));
    EXPECT_TRUE(Downloads().empty());
}

TEST_F(WritePdaTest, RefusedWriteFailsAndOldDriverIsReported) {
    library.refused[meru::OID_CARD_DRIVER_CHECK] = meru::kNdisStatusInvalidOid;
    library.scripted[meru::OID_CARD_DOWNLOAD] = {0, kStatusFailure, kStatusFailure};
    EXPECT_FALSE(handle.WritePda(pda, true, false));
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[0].caption, "Incompatible Driver Error");
}

TEST_F(WritePdaTest, AreaThatDoesNotFitFailsAndSendsNothing) {
    std::vector<uint16_t> record(21, 0);
    record[0] = 20;
    for (uint16_t code = 0x0400; code < 0x0400 + 30; ++code) {  // 30 x 21 words
        record[1] = code;
        pda.AddRecord(record.data());
    }
    EXPECT_FALSE(handle.WritePda(pda, false, false));
    EXPECT_FALSE(handle.WritePda(pda, true, true));
    EXPECT_TRUE(library.sent.empty());
    EXPECT_NE(log.Text().find("PDA OVERFLOW. PDA EXCEEDS 512 WORD LIMIT.\n"), std::string::npos);
}

}  // namespace
