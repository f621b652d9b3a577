// Writing the card's flash: single blocks, whole firmware images and the
// production data area.
#include <algorithm>
#include <cstring>

#include "base/SessionLog.h"
#include "card/AdapterHandle.h"
#include "card/CardRequests.h"
#include "card/PdaArea.h"
#include "image/FirmwareImage.h"
#include "image/Pda.h"

namespace meru {

namespace {

// Where the preparation write goes, by MAC type, and what it writes.
constexpr uint32_t kPrepareAddressMx100 = 0x1FEE66;
constexpr uint32_t kPrepareAddressOther = 0x7FDE66;
constexpr uint8_t kPrepareData[2] = {0x00, 0xE1};
constexpr uint32_t kPrepareWaitMilliseconds = 5;

}  // namespace

bool AdapterHandle::AuxWrite(const AuxRecord& record) {
    // A count past the record's data area would make the driver read beyond it.
    if (!IsOpen() || record.Count() > AuxRecord::kMaxData) return false;
    // A set request: the driver only reads the buffer.
    void* buffer = const_cast<uint8_t*>(record.bytes);
    return Request(kRequestSet, OID_CARD_DOWNLOAD, buffer, record.RequestLength()) == kNdisStatusSuccess;
}

AdapterHandle::Comparison AdapterHandle::CompareWithCard(const AuxRecord& record) {
    AuxRecord onCard;
    onCard.SetAddress(record.Address());
    onCard.SetCount(record.Count());
    if (!AuxRead(onCard)) return Comparison::Unreadable;
    return std::memcmp(onCard.Data(), record.Data(), record.Count()) == 0 ? Comparison::Same : Comparison::Different;
}

bool AdapterHandle::WriteBlock(const AuxRecord& record, bool force, bool verify) {
    if (!IsOpen() || record.Count() > AuxRecord::kMaxData) return false;
    if (!force) {
        const Comparison before = CompareWithCard(record);
        if (before == Comparison::Unreadable) return false;
        if (before == Comparison::Same) return true;  // already in flash
    }
    if (!AuxWrite(record) && !AuxWrite(record)) return false;
    if (!verify) return true;
    return CompareWithCard(record) == Comparison::Same;
}

AdapterHandle::FlashContents AdapterHandle::HoldsImage(FirmwareImage& image) {
    if (!IsOpen()) return FlashContents::kUnreadable;
    image.Rewind();
    AuxRecord record;
    uint32_t address = 0;
    uint16_t length = 0;
    while (image.NextChunk(record.Data(), address, length, AuxRecord::kMaxData, AuxRecord::kBlockBoundary)) {
        record.SetAddress(address);
        record.SetCount(length);
        Comparison comparison = CompareWithCard(record);
        if (comparison == Comparison::Unreadable) comparison = CompareWithCard(record);
        if (comparison == Comparison::Unreadable) return FlashContents::kUnreadable;
        if (comparison == Comparison::Different) return FlashContents::kDifferent;
    }
    return FlashContents::kHeld;
}

bool AdapterHandle::PrepareDownload() {
    if (!IsOpen()) return false;
    EnableAux();
    const AuxRecord empty;  // address 0, count 0
    AuxWrite(empty);

    AuxRecord prepare;
    prepare.SetAddress(macType_ == kMacTypeMx100 ? kPrepareAddressMx100 : kPrepareAddressOther);
    prepare.SetCount(sizeof kPrepareData);
    std::memcpy(prepare.Data(), kPrepareData, sizeof kPrepareData);
    const uint32_t status = Request(kRequestSet, OID_CARD_AUX_WRITE, prepare.bytes, prepare.RequestLength());
    if (sleep_) sleep_(kPrepareWaitMilliseconds);
    return status == kNdisStatusSuccess;
}

ProgramResult AdapterHandle::ProgramImage(FirmwareImage& image, ProgressBar* progress, bool force, bool verify) {
    ProgramResult result;
    if (!IsOpen()) return result;
    events_.Reset(overlapped_.event);

    if (progress != nullptr) {
        const uint16_t chunks = image.CountChunks(AuxRecord::kMaxData, AuxRecord::kBlockBoundary);
        progress->Send(kProgressSetRange, 0, static_cast<intptr_t>(static_cast<uint32_t>(chunks) << 16));
        progress->Send(kProgressSetPos, 1, 0);
        progress->Send(kProgressSetPos, 0, 0);
    }
    if (!BlockProtocols(true)) {
        result.outcome = ProgramResult::Outcome::kProtocolsNotBlocked;
        return result;
    }
    if (!EnableAux()) {
        result.outcome = ProgramResult::Outcome::kAuxNotEnabled;
        return result;
    }
    PrepareDownload();

    image.Rewind();
    uint16_t blockCounter = 0;
    result.outcome = ProgramResult::Outcome::kWritten;
    FlushAllOutput();

    AuxRecord record;
    uint32_t address = 0;
    uint16_t length = 0;
    while (image.NextChunk(record.Data(), address, length, AuxRecord::kMaxData, AuxRecord::kBlockBoundary)) {
        ++blockCounter;
        record.SetAddress(address);
        record.SetCount(length);
        if (!WriteBlock(record, force, verify)) {
            // The first block that fails ends the run: what follows it is
            // not written over a flash that already differs from the image.
            result.outcome = ProgramResult::Outcome::kBlockFailed;
            result.block = blockCounter;
            result.address = address;
            result.status = lastStatus_;
            break;
        }
        if (progress != nullptr) progress->Send(kProgressSetPos, blockCounter, 0);
    }
    FlushAllOutput();
    return result;
}

bool AdapterHandle::WritePda(const Pda& pda, bool force, bool verify) {
    if (!IsOpen()) return false;
    // A list that does not fit the area serialises to nothing: write nothing then.
    uint16_t words[Pda::kMaxSerializedWords];
    const uint16_t wordCount = pda.Serialize(words, Pda::kMaxSerializedWords);
    if (wordCount == 0 || !WritePdaWords(words, wordCount, force, false)) return false;
    if (!verify) return true;
    // Checked as a PDA, the way every reader of the card will read it: the
    // same records and check value (a byte comparison alone would pass a
    // list that the full read does not find, and fail one it does).
    Pda back;
    return ReadPda(back) && back.Records() == pda.Records() && back.StoredCrc() == pda.ListCrc();
}

bool AdapterHandle::WritePdaWords(const uint16_t* words, uint16_t count, bool force, bool verify) {
    if (!IsOpen() || count == 0 || count > kPdaWords) return false;
    PrepareDownload();
    AuxRecord record;
    record.SetAddress(pdaAddress_);
    for (uint16_t i = 0; i < count; ++i) {
        record.Data()[2 * i] = static_cast<uint8_t>(words[i]);
        record.Data()[2 * i + 1] = static_cast<uint8_t>(words[i] >> 8);
    }
    record.SetCount(static_cast<uint16_t>(2 * count));

    events_.Reset(overlapped_.event);
    uint8_t driverCheck[8] = {};
    BlockProtocols(true);
    CheckDriver(driverCheck);
    EnableAux();
    const bool written = WriteBlock(record, force, false);
    CheckDriver(driverCheck);
    if (!written || !verify) return written;
    PdaArea area;
    ReadPdaArea(area);
    return area.Read() && std::equal(words, words + count, area.words.begin());
}

}  // namespace meru
