#include "FlashIdentity.h"

#include <cstring>
#include <vector>

#include "CardMemory.h"

namespace sim {

namespace {

const char kMagic[4] = {'V', 'X', 'I', 'D'};

void PutWord(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

uint16_t GetWord(const uint8_t* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }

uint32_t ImageBase(const CardState& card, Component component) {
    const CardLayout layout = LayoutFor(card.macType);
    return component == Component::kPrimary ? layout.primaryBase : layout.stationBase;
}

}  // namespace

std::array<uint8_t, kIdentityBlockBytes> EncodeIdentityBlock(const IdentityBlock& block) {
    std::array<uint8_t, kIdentityBlockBytes> bytes = {};
    std::memcpy(bytes.data(), kMagic, sizeof kMagic);
    const std::array<uint16_t, 8> words = block.Words();
    for (size_t i = 0; i < words.size(); ++i) PutWord(&bytes[4 + 2 * i], words[i]);
    return bytes;
}

std::optional<IdentityBlock> ReadIdentityBlock(const CardState& card, uint32_t imageBase) {
    const std::vector<uint8_t> bytes = ReadCardBytes(card, imageBase + kIdentityBlockOffset, kIdentityBlockBytes);
    if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) return std::nullopt;
    std::array<uint16_t, 8> words = {};
    for (size_t i = 0; i < words.size(); ++i) words[i] = GetWord(&bytes[4 + 2 * i]);
    return IdentityBlock::FromWords(words);
}

std::string ReadFileNameArea(const CardState& card, uint32_t imageBase) {
    std::string name;
    for (uint8_t byte : ReadCardBytes(card, imageBase + kFileNameAreaOffset, kFileNameAreaBytes)) {
        if (byte == 0x00 || byte == 0xFF) break;
        name += static_cast<char>(byte);
    }
    return name;
}

FactoryFirmware ReportedFirmware(const CardState& card, Component component) {
    FactoryFirmware reported = component == Component::kPrimary ? card.primary : card.station;
    const uint32_t base = ImageBase(card, component);
    if (const std::optional<IdentityBlock> block = ReadIdentityBlock(card, base)) {
        static_cast<IdentityBlock&>(reported) = *block;
    }
    const std::string name = ReadFileNameArea(card, base);
    if (!name.empty()) reported.fileName = name;
    return reported;
}

}  // namespace sim
