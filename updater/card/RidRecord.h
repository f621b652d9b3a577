#pragma once

#include <cstddef>
#include <cstdint>

namespace meru {

// The buffer of one record read: length word (in words, written by the
// driver), record number, then data words. Little-endian throughout.
struct RidRecord {
    static constexpr size_t kSize = 504;
    static constexpr size_t kDataOffset = 4;
    static constexpr size_t kDataWords = (kSize - kDataOffset) / 2;

    uint8_t bytes[kSize] = {};

    uint16_t Length() const { return WordAt(0); }
    void SetLength(uint16_t value) { PutWordAt(0, value); }
    uint16_t Rid() const { return WordAt(2); }
    void SetRid(uint16_t value) { PutWordAt(2, value); }

    // Data word k (0 for k past the buffer).
    uint16_t Word(size_t k) const { return k < kDataWords ? WordAt(kDataOffset + 2 * k) : 0; }
    void SetWord(size_t k, uint16_t value) {
        if (k < kDataWords) PutWordAt(kDataOffset + 2 * k, value);
    }
    const uint8_t* Data() const { return bytes + kDataOffset; }
    uint8_t* Data() { return bytes + kDataOffset; }

private:
    uint16_t WordAt(size_t offset) const {
        return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
    }
    void PutWordAt(size_t offset, uint16_t value) {
        bytes[offset] = static_cast<uint8_t>(value);
        bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
    }
};

}  // namespace meru
