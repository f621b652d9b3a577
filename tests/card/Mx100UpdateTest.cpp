// An update of an MX100 card as the catalogue makes it: the primary and the
// station image for platform 0x0101 programmed onto a MAC type 1 software
// card, with every aux-port record the card was sent kept. Downloads carry
// the images' own addresses (the card decodes them); reads are sent with
// address bits 17 and 18 cleared (the card does not decode reads).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/NoticeBoxes.h"
#include "CardFakes.h"
#include "card/AdapterHandle.h"
#include "card/CardRequests.h"
#include "image/Catalogue.h"
#include "image/DirectoryResourceSource.h"
#include "image/FirmwareImage.h"
#include "image/ImageInfo.h"
#include "image/PlugRecordList.h"
#include "sim/Fixture.h"
#include "sim/MemoryRegistry.h"
#include "sim/SoftwareCard.h"
#include "sim/SoftwareLibrary.h"
#include "support/ForwardingLibrary.h"
#include "support/LogCapture.h"
#include "support/RecordingMessageBoxes.h"

namespace {

struct SentAux {
    uint32_t oid;
    uint32_t address;
    uint16_t count;
    bool operator==(const SentAux& other) const {
        return oid == other.oid && address == other.address && count == other.count;
    }
};

std::ostream& operator<<(std::ostream& out, const SentAux& sent) {
    return out << std::hex << "{0x" << sent.oid << " at 0x" << sent.address << " count " << std::dec << sent.count
               << "}";
}

// The software library, keeping the header of every aux record it passes on.
class AuxRecordingLibrary : public testsupport::ForwardingLibrary {
public:
    using ForwardingLibrary::ForwardingLibrary;

    std::vector<SentAux> With(uint32_t oid) const {
        std::vector<SentAux> matching;
        for (const SentAux& s : sent) {
            if (s.oid == oid) matching.push_back(s);
        }
        return matching;
    }

    std::vector<SentAux> sent;

private:
    void Observe(const meru::NdisRequest& request) override {
        const bool aux = request.oid == meru::OID_CARD_DOWNLOAD || request.oid == meru::OID_CARD_AUX_WRITE ||
                         request.oid == meru::OID_CARD_AUX_READ;
        if (aux && request.buffer != nullptr && request.length >= 6) {
            const auto* bytes = static_cast<const uint8_t*>(request.buffer);
            sent.push_back({request.oid,
                            static_cast<uint32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16) |
                                static_cast<uint32_t>(bytes[3]) << 24,
                            static_cast<uint16_t>(bytes[4] | bytes[5] << 8)});
        }
    }
};

struct Shipped {
    unsigned resourceId;
    const char* fileName;
    meru::FirmwareImage image;
};

const char* CatalogueName(unsigned resourceId) {
    for (const meru::CatalogueEntry* tables : {meru::kPrimaryCatalogue, meru::kStationCatalogue}) {
        for (const meru::CatalogueEntry* e = tables; e->resourceId != 0; ++e) {
            if (e->resourceId == resourceId) return e->fileName;
        }
    }
    return "";
}

class Mx100UpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        meru::SetResourceSource(&resources);
        sim::FillOneAdapter(registry);
        library.AttachCard(card);
        handle.SetSleepHook([](uint32_t) {});
    }
    void TearDown() override { meru::SetResourceSource(nullptr); }

    testsupport::LogCapture log;
    testsupport::RecordingMessageBoxes boxes;
    meru::DirectoryResourceSource resources{MERU_FIRMWARE_DIR};
    sim::MemoryRegistry registry;
    sim::SoftwareCard card = sim::SoftwareCard::Factory(1, 0x0101);
    sim::SoftwareLibrary library{registry};
    AuxRecordingLibrary recording{library};
    cardtest::FakeOverlappedEvents events;
    meru::AdapterHandle handle{recording, registry, events, testsupport::NoticesAsBoxes()};
};

// The blocks of an image as the updater cuts them: address and bytes.
std::vector<std::pair<uint32_t, std::vector<uint8_t>>> Chunks(meru::FirmwareImage& image) {
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> chunks;
    meru::AuxRecord chunk;
    uint32_t address = 0;
    uint16_t length = 0;
    image.Rewind();
    while (image.NextChunk(chunk.Data(), address, length, 2042, 0x10000)) {
        chunks.emplace_back(address, std::vector<uint8_t>(chunk.Data(), chunk.Data() + length));
    }
    return chunks;
}

TEST_F(Mx100UpdateTest, DownloadsGoToTheImagesOwnAddressesAndReadBackThroughTheUpdater) {
    ASSERT_TRUE(handle.Open(0, true));
    ASSERT_EQ(handle.MacType(), meru::kMacTypeMx100);
    Shipped images[] = {{154, "PL010400.HEX", {}}, {161, "SA010500.HEX", {}}};
    for (Shipped& shipped : images) {
        SCOPED_TRACE(shipped.fileName);
        ASSERT_STREQ(CatalogueName(shipped.resourceId), shipped.fileName);
        meru::ImageInfo info;
        meru::PlugRecordList plugs;
        ASSERT_NE(info.LoadResource(shipped.resourceId, &shipped.image, &plugs), 0u);
        recording.sent.clear();

        ASSERT_TRUE(handle.ProgramImage(shipped.image, nullptr, true, true).Written()) << log.Text();

        // The preparation, then every block of the image at its own address.
        std::vector<SentAux> expected = {{meru::OID_CARD_DOWNLOAD, 0, 0}};
        for (const auto& [at, bytes] : Chunks(shipped.image)) {
            expected.push_back({meru::OID_CARD_DOWNLOAD, at, static_cast<uint16_t>(bytes.size())});
        }
        EXPECT_EQ(recording.With(meru::OID_CARD_AUX_WRITE),
                  (std::vector<SentAux>{{meru::OID_CARD_AUX_WRITE, 0x1FEE66, 2}}));
        EXPECT_EQ(recording.With(meru::OID_CARD_DOWNLOAD), expected);
        const std::vector<SentAux> reads = recording.With(meru::OID_CARD_AUX_READ);
        EXPECT_EQ(reads.size(), expected.size() - 1) << "one verification read per block";
        for (const SentAux& read : reads) EXPECT_EQ(read.address & 0x00060000u, 0u) << read;
    }
    const uint32_t primaryStart = images[0].image.BlockAt(1).startAddress;
    EXPECT_EQ(primaryStart, 0x3E0000u) << "where a masked address differs from the image's";
    EXPECT_TRUE(boxes.boxes.empty());

    // Both images are on the card where the updater reads them: the station
    // did not overwrite the primary.
    for (Shipped& shipped : images) {
        for (const auto& [at, bytes] : Chunks(shipped.image)) {
            std::vector<uint8_t> onCard(bytes.size());
            ASSERT_TRUE(handle.ReadAuxPort(onCard.data(), at, static_cast<uint16_t>(bytes.size())));
            ASSERT_EQ(onCard, bytes) << shipped.fileName << std::hex << " at 0x" << at;
        }
    }
}

}  // namespace
