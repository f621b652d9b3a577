#include "CardMemory.h"

#include "CardLayout.h"

namespace sim {

bool InCardSpace(const CardState& card, uint32_t address, uint32_t count) {
    return card.flash.Contains(address, count);
}

uint8_t ReadCardByte(const CardState& card, uint32_t address) {
    return card.flash.ReadByte(StorageAddress(card.macType, address));
}

std::vector<uint8_t> ReadCardBytes(const CardState& card, uint32_t address, uint32_t count) {
    std::vector<uint8_t> bytes(count, SparseFlash::kErased);
    if (!InCardSpace(card, address, count)) return bytes;
    for (uint32_t i = 0; i < count; ++i) bytes[i] = ReadCardByte(card, address + i);
    return bytes;
}

bool WriteCardBytes(CardState& card, uint32_t address, const uint8_t* data, uint32_t count) {
    if (!InCardSpace(card, address, count)) return false;
    for (uint32_t i = 0; i < count; ++i) card.flash.WriteByte(StorageAddress(card.macType, address + i), data[i]);
    return true;
}

bool WriteCardBytes(CardState& card, uint32_t address, const std::vector<uint8_t>& data) {
    return WriteCardBytes(card, address, data.data(), static_cast<uint32_t>(data.size()));
}

std::vector<uint16_t> ReadCardWords(const CardState& card, uint32_t address, uint32_t count) {
    const std::vector<uint8_t> bytes = ReadCardBytes(card, address, count * 2);
    std::vector<uint16_t> words(count);
    for (uint32_t i = 0; i < count; ++i) {
        words[i] = static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    return words;
}

bool WriteCardWords(CardState& card, uint32_t address, const std::vector<uint16_t>& words) {
    std::vector<uint8_t> bytes;
    bytes.reserve(words.size() * 2);
    for (uint16_t word : words) {
        bytes.push_back(static_cast<uint8_t>(word));
        bytes.push_back(static_cast<uint8_t>(word >> 8));
    }
    return WriteCardBytes(card, address, bytes);
}

void SetMacType(CardState& card, uint16_t macType) {
    card.macType = macType;
    card.flash.Resize(LayoutFor(macType).flashBytes);
}

}  // namespace sim
