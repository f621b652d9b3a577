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

void ReportSetupFailure(AdapterHandle& handle, const char* what) {
    handle.report(what, "Setup Error", kBoxOk);
    handle.report("Update not attempted.", "Card Communication Failed", kBoxOk);
}

}  // namespace

bool AdapterHandle::auxWrite(const AuxRecord& record) {
    // A count past the record's data area would make the driver read beyond it.
    if (!isOpen() || record.count() > AuxRecord::kMaxData) return false;
    // A set request: the driver only reads the buffer.
    void* buffer = const_cast<uint8_t*>(record.bytes);
    return request(kRequestSet, OID_CARD_DOWNLOAD, buffer, record.requestLength()) == kNdisStatusSuccess;
}

AdapterHandle::Comparison AdapterHandle::compareWithCard(const AuxRecord& record) {
    AuxRecord onCard;
    onCard.setAddress(record.address());
    onCard.setCount(record.count());
    if (!auxRead(onCard)) return Comparison::Unreadable;
    return std::memcmp(onCard.data(), record.data(), record.count()) == 0 ? Comparison::Same : Comparison::Different;
}

bool AdapterHandle::writeBlock(const AuxRecord& record, bool force, bool verify) {
    if (!isOpen() || record.count() > AuxRecord::kMaxData) return false;
    if (!force) {
        const Comparison before = compareWithCard(record);
        if (before == Comparison::Unreadable) return false;
        if (before == Comparison::Same) return true;  // already in flash
    }
    if (!auxWrite(record) && !auxWrite(record)) return false;
    if (!verify) return true;
    return compareWithCard(record) == Comparison::Same;
}

AdapterHandle::FlashContents AdapterHandle::holdsImage(FirmwareImage& image) {
    if (!isOpen()) return FlashContents::kUnreadable;
    image.Rewind();
    AuxRecord record;
    uint32_t address = 0;
    uint16_t length = 0;
    while (image.NextChunk(record.data(), address, length, AuxRecord::kMaxData, AuxRecord::kBlockBoundary)) {
        record.setAddress(address);
        record.setCount(length);
        Comparison comparison = compareWithCard(record);
        if (comparison == Comparison::Unreadable) comparison = compareWithCard(record);
        if (comparison == Comparison::Unreadable) return FlashContents::kUnreadable;
        if (comparison == Comparison::Different) return FlashContents::kDifferent;
    }
    return FlashContents::kHeld;
}

bool AdapterHandle::prepareDownload() {
    if (!isOpen()) return false;
    enableAux();
    const AuxRecord empty;  // address 0, count 0
    auxWrite(empty);

    AuxRecord prepare;
    prepare.setAddress(macType_ == kMacTypeMx100 ? kPrepareAddressMx100 : kPrepareAddressOther);
    prepare.setCount(sizeof kPrepareData);
    std::memcpy(prepare.data(), kPrepareData, sizeof kPrepareData);
    const uint32_t status = request(kRequestSet, OID_CARD_AUX_WRITE, prepare.bytes, prepare.requestLength());
    if (sleep_) sleep_(kPrepareWaitMilliseconds);
    return status == kNdisStatusSuccess;
}

bool AdapterHandle::programImage(FirmwareImage& image, ProgressBar* progress, bool force, bool verify,
                                 bool askOnError) {
    if (!isOpen()) return false;
    events_.Reset(overlapped_.event);

    if (progress != nullptr) {
        const uint16_t chunks = image.CountChunks(AuxRecord::kMaxData, AuxRecord::kBlockBoundary);
        progress->Send(kProgressSetRange, 0, static_cast<intptr_t>(static_cast<uint32_t>(chunks) << 16));
        progress->Send(kProgressSetPos, 1, 0);
        progress->Send(kProgressSetPos, 0, 0);
    }
    if (!blockProtocols(true)) {
        ReportSetupFailure(*this, "Attempt to block protocols failed.");
        return false;
    }
    if (!enableAux()) {
        ReportSetupFailure(*this, "Enable Aux failed.");
        return false;
    }
    prepareDownload();

    image.Rewind();
    uint16_t blockCounter = 0;
    bool failed = false;
    FlushAllOutput();

    AuxRecord record;
    uint32_t address = 0;
    uint16_t length = 0;
    while (image.NextChunk(record.data(), address, length, AuxRecord::kMaxData, AuxRecord::kBlockBoundary)) {
        ++blockCounter;
        record.setAddress(address);
        record.setCount(length);
        if (!writeBlock(record, force, verify)) {
            failed = true;
            if (!askOnError) break;
            if (report("Error programming block. Continue anyway?", "Programming error.", kBoxYesNo) != kAnswerYes) {
                break;
            }
        }
        if (progress != nullptr) progress->Send(kProgressSetPos, blockCounter, 0);
    }
    FlushAllOutput();
    return !failed;
}

bool AdapterHandle::writePda(const Pda& pda, bool force, bool verify) {
    if (!isOpen()) return false;
    // A list that does not fit the area serialises to nothing: write nothing then.
    uint16_t words[Pda::kMaxSerializedWords];
    const uint16_t wordCount = pda.Serialize(words, Pda::kMaxSerializedWords);
    if (wordCount == 0 || !writePdaWords(words, wordCount, force, false)) return false;
    if (!verify) return true;
    // Checked as a PDA, the way every reader of the card will read it: the
    // same records and check value (a byte comparison alone would pass a
    // list that the full read does not find, and fail one it does).
    Pda back;
    return readPda(back) && back.Records() == pda.Records() && back.StoredCrc() == pda.ListCrc();
}

bool AdapterHandle::writePdaWords(const uint16_t* words, uint16_t count, bool force, bool verify) {
    if (!isOpen() || count == 0 || count > kPdaWords) return false;
    prepareDownload();
    AuxRecord record;
    record.setAddress(pdaAddress_);
    for (uint16_t i = 0; i < count; ++i) {
        record.data()[2 * i] = static_cast<uint8_t>(words[i]);
        record.data()[2 * i + 1] = static_cast<uint8_t>(words[i] >> 8);
    }
    record.setCount(static_cast<uint16_t>(2 * count));

    events_.Reset(overlapped_.event);
    uint8_t driverCheck[8] = {};
    blockProtocols(true);
    checkDriver(driverCheck);
    enableAux();
    const bool written = writeBlock(record, force, false);
    checkDriver(driverCheck);
    if (!written || !verify) return written;
    PdaArea area;
    readPdaArea(area);
    return area.Read() && std::equal(words, words + count, area.words.begin());
}

}  // namespace meru
