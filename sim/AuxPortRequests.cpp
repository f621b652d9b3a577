// The aux-port requests of the software card: memory reads, the download
// preparation write and flash downloads.
#include <cstring>
#include <optional>
#include <vector>

#include "CardMemory.h"
#include "CardProtocol.h"
#include "PdaArea.h"
#include "SoftwareCard.h"

namespace sim {

namespace {

struct AuxHeader {
    uint32_t address = 0;
    uint32_t count = 0;
};

// Reads the header of an aux record and checks that the request length is
// count + 6 with count at most 2042.
uint32_t ReadAuxHeader(const uint8_t* buffer, uint32_t length, AuxHeader& header) {
    if (length < kAuxHeaderBytes) return kStatusBufferTooShort;
    header.address = static_cast<uint32_t>(buffer[0]) | (static_cast<uint32_t>(buffer[1]) << 8) |
                     (static_cast<uint32_t>(buffer[2]) << 16) | (static_cast<uint32_t>(buffer[3]) << 24);
    header.count = static_cast<uint32_t>(buffer[4] | (buffer[5] << 8));
    if (header.count > kMaxAuxDataBytes) return kStatusInvalidLength;
    if (length != header.count + kAuxHeaderBytes) return kStatusInvalidLength;
    return kStatusSuccess;
}

}  // namespace

uint32_t SoftwareCard::AuxRead(uint8_t* buffer, uint32_t length) {
    AuxHeader header;
    if (const uint32_t status = ReadAuxHeader(buffer, length, header)) return status;
    if (!state_.session.auxEnabled) return kStatusFailure;
    const bool bit31 = (header.address & kAuxFlagBit31) != 0;
    const uint32_t address = header.address & ~kAuxFlagBit31;
    if (!InCardSpace(state_, address, header.count)) return kStatusInvalidData;
    const uint16_t macType = state_.macType;
    if (const std::optional<uint32_t> refused = state_.faults.TakeReadRefusal(macType, address, header.count)) {
        Fired("read-refuse");
        return *refused;
    }

    std::vector<uint8_t> data = ReadCardBytes(state_, address, header.count);
    const uint32_t pdaStart = StorageAddress(macType, Layout().pdaAddress);
    bool flaky = false;
    bool erasedForBit31 = false;
    for (uint32_t i = 0; i < header.count; ++i) {
        const uint32_t storage = StorageAddress(macType, address + i);
        // Downloads are decoded on their way to the flash; reads are not: on
        // the MX100 a read that names address bits 17 or 18 selects nothing
        // and sees an erased bus.
        if (storage != address + i) {
            data[i] = SparseFlash::kErased;
            continue;
        }
        if (state_.faults.pdaOnlyWithBit31 && !bit31 && storage >= pdaStart && storage < pdaStart + kPdaBytes) {
            data[i] = SparseFlash::kErased;
            erasedForBit31 = true;
        }
        if (state_.faults.IsFlaky(macType, storage)) {
            data[i] = static_cast<uint8_t>(data[i] ^ ((state_.flakyReadCount + i) % 255 + 1));
            flaky = true;
        }
    }
    if (flaky) {
        ++state_.flakyReadCount;
        Fired("flaky-reads");
    }
    if (erasedForBit31) Fired("pda-bit31-only");
    if (address == pdaStart && header.count == kPdaBytes && !WalkPda(ReadPdaWords(state_)).CrcMatches()) {
        Fired("pda-bad-crc");
    }
    if (header.count != 0) std::memcpy(buffer + kAuxHeaderBytes, data.data(), header.count);
    return kStatusSuccess;
}

uint32_t SoftwareCard::AuxWrite(uint8_t* buffer, uint32_t length) {
    AuxHeader header;
    if (const uint32_t status = ReadAuxHeader(buffer, length, header)) return status;
    if (header.count != 2) return kStatusInvalidData;
    if (!state_.session.auxEnabled) return kStatusFailure;
    const uint8_t* data = buffer + kAuxHeaderBytes;
    if (header.address != Layout().preparationAddress || data[0] != kPreparationByte0 ||
        data[1] != kPreparationByte1) {
        return kStatusInvalidData;
    }
    if (state_.session.preparationStep < 1) return kStatusFailure;
    state_.session.preparationStep = 2;
    return kStatusSuccess;
}

uint32_t SoftwareCard::Download(uint8_t* buffer, uint32_t length) {
    AuxHeader header;
    if (const uint32_t status = ReadAuxHeader(buffer, length, header)) return status;
    if (!state_.session.auxEnabled) return kStatusFailure;
    if (header.count == 0 && header.address == 0) {
        state_.session.preparationStep = 1;
        return kStatusSuccess;
    }
    if (!state_.session.protocolsBlocked || state_.session.preparationStep < 2) return kStatusFailure;
    if (header.address % kDownloadBoundary + header.count > kDownloadBoundary) return kStatusInvalidData;
    if (!InCardSpace(state_, header.address, header.count)) return kStatusInvalidData;
    FaultSet& faults = state_.faults;
    const uint16_t macType = state_.macType;
    if (const std::optional<uint32_t> failure = faults.TakeDownloadFailure(macType, header.address, header.count)) {
        Fired("download-fail");
        return *failure;
    }
    // What reaches the flash: all the data, unless a fault keeps only its
    // first half or changes its middle byte. The card reports success either way.
    const uint8_t* data = buffer + kAuxHeaderBytes;
    std::vector<uint8_t> stored(data, data + header.count);
    if (faults.TakePartialDownload(macType, header.address, header.count)) {
        Fired("download-partial");
        stored.resize(header.count / 2);
    }
    if (faults.TakeDownloadCorruption(macType, header.address, header.count) && !stored.empty()) {
        Fired("download-corrupt");
        stored[stored.size() / 2] ^= 0xFF;
    }
    WriteCardBytes(state_, header.address, stored);
    if (header.count != 0) faults.CountStoredDownload();
    if (faults.PowerLostStatus()) {
        Fired("power-loss");
        state_.session = SessionState();  // what the card held in RAM is gone
    }
    return kStatusSuccess;
}

}  // namespace sim
