#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "sim/CardProtocol.h"
#include "sim/SoftwareCard.h"

namespace simtest {

// Requests as the updater sends them, for driving a SoftwareCard directly.

// An aux record in a buffer with guard bytes after it, so tests see any
// write past the request length.
struct AuxBuffer {
    static constexpr uint8_t kGuard = 0x5C;
    std::vector<uint8_t> bytes;
    uint32_t length;

    AuxBuffer(uint32_t address, uint32_t count, const std::vector<uint8_t>& data = {})
        : bytes(sim::kAuxHeaderBytes + count + 16, kGuard), length(sim::kAuxHeaderBytes + count) {
        for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(address >> (8 * i));
        bytes[4] = static_cast<uint8_t>(count);
        bytes[5] = static_cast<uint8_t>(count >> 8);
        for (uint32_t i = 0; i < count; ++i) bytes[6 + i] = i < data.size() ? data[i] : 0;
        if (count >= 2 && data.empty()) {
            bytes[6] = 0xDE;
            bytes[7] = 0xAD;
        }
    }
    std::vector<uint8_t> Data() const { return {bytes.begin() + 6, bytes.begin() + length}; }
    bool GuardIntact() const {
        for (size_t i = length; i < bytes.size(); ++i) {
            if (bytes[i] != kGuard) return false;
        }
        return true;
    }
};

inline uint32_t Command(sim::SoftwareCard& card, uint32_t oid) {
    return card.HandleRequest(sim::kSet, oid, nullptr, 0);
}

inline uint32_t Download(sim::SoftwareCard& card, uint32_t address, const std::vector<uint8_t>& data) {
    AuxBuffer record(address, static_cast<uint32_t>(data.size()), data);
    return card.HandleRequest(sim::kSet, sim::kOidDownload, record.bytes.data(), record.length);
}

inline uint32_t PreparationWrite(sim::SoftwareCard& card, uint32_t address) {
    AuxBuffer record(address, 2, {sim::kPreparationByte0, sim::kPreparationByte1});
    return card.HandleRequest(sim::kSet, sim::kOidAuxWrite, record.bytes.data(), record.length);
}

// The updater's download preparation: zero-length download at 0, then the
// two bytes at the card's preparation address.
inline uint32_t Prepare(sim::SoftwareCard& card) {
    Command(card, sim::kOidEnableAux);
    Download(card, 0, {});
    return PreparationWrite(card, card.Layout().preparationAddress);
}

// Enable aux, block protocols, prepare: downloads are accepted afterwards.
inline void StartSession(sim::SoftwareCard& card) {
    Command(card, sim::kOidBlockProtocols);
    Prepare(card);
}

inline uint32_t AuxRead(sim::SoftwareCard& card, uint32_t address, uint32_t count, std::vector<uint8_t>& data) {
    Command(card, sim::kOidEnableAux);
    AuxBuffer record(address, count);
    const uint32_t status = card.HandleRequest(sim::kQuery, sim::kOidAuxRead, record.bytes.data(), record.length);
    data = record.Data();
    return status;
}

inline std::vector<uint8_t> ReadBack(sim::SoftwareCard& card, uint32_t address, uint32_t count) {
    std::vector<uint8_t> data;
    AuxRead(card, address, count, data);
    return data;
}

// A record read into a 504-byte buffer: the status; `words` gets the
// length word and what follows it.
inline uint32_t ReadRid(sim::SoftwareCard& card, uint16_t rid, std::vector<uint16_t>& words) {
    uint8_t buffer[sim::kRidBufferBytes] = {};
    buffer[2] = static_cast<uint8_t>(rid);
    buffer[3] = static_cast<uint8_t>(rid >> 8);
    const uint32_t status = card.HandleRequest(sim::kQuery, sim::kOidReadRid, buffer, sizeof buffer);
    words.clear();
    const uint16_t length = static_cast<uint16_t>(buffer[0] | (buffer[1] << 8));
    for (uint32_t i = 0; i <= length && 2 * i + 1 < sizeof buffer; ++i) {
        words.push_back(static_cast<uint16_t>(buffer[2 * i] | (buffer[2 * i + 1] << 8)));
    }
    return status;
}

// The data words of a record (after length word and RID); empty on failure.
inline std::vector<uint16_t> RidData(sim::SoftwareCard& card, uint16_t rid) {
    std::vector<uint16_t> words;
    if (ReadRid(card, rid, words) != 0 || words.size() < 2) return {};
    return {words.begin() + 2, words.end()};
}

}  // namespace simtest
