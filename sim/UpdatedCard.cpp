#include "UpdatedCard.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "CardLayout.h"
#include "CardMemory.h"
#include "PdaArea.h"
#include "PdaRecords.h"
#include "RadioCalibration.h"

namespace sim {

namespace {

constexpr uint32_t kFileNameBytesMost = 20;
constexpr uint32_t kCompareRowBytes = 32;

// The file name as its plug writes it: upper case, cut or zero-padded.
std::vector<uint8_t> FileNameBytes(const std::string& name, uint32_t length) {
    std::vector<uint8_t> bytes(std::min(length, kFileNameBytesMost), 0);
    for (size_t i = 0; i < bytes.size() && i < name.size(); ++i) {
        const char c = name[i];
        bytes[i] = static_cast<uint8_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    return bytes;
}

ImageFile Plugged(ImageFile image, const PdaRecords& pda) {
    for (const ImageFile::Plug& plug : image.Plugs()) {
        if (plug.code == ImageFile::kFileNamePlug) {
            image.Overwrite(plug.target, FileNameBytes(image.Name(), plug.length));
            continue;
        }
        const std::vector<uint16_t>* data = pda.Find(static_cast<uint16_t>(plug.code & 0xFFFF));
        if (data == nullptr || data->size() * 2 != plug.length) continue;
        std::vector<uint8_t> bytes;
        for (uint16_t word : *data) {
            bytes.push_back(static_cast<uint8_t>(word));
            bytes.push_back(static_cast<uint8_t>(word >> 8));
        }
        image.Overwrite(plug.target, bytes);
    }
    return image;
}

// The production data words up to and with the end record (all when none).
std::vector<uint16_t> StoredPda(const CardState& card) {
    std::vector<uint16_t> words = ReadPdaWords(card);
    const PdaLayout layout = WalkPda(words);
    if (layout.endIndex && *layout.endIndex + 3 <= words.size()) words.resize(*layout.endIndex + 3);
    return words;
}

}  // namespace

std::optional<CardState> UpdatedCard(const CardState& before, const std::vector<ImageFile>& images,
                                     const std::vector<std::vector<uint16_t>>& pdaFiles, std::string& why) {
    std::optional<PdaRecords> pda = PdaRecords::FromArea(ReadPdaWords(before));
    if (!pda) {
        why = "the card's production data fails its check value";
        return std::nullopt;
    }
    for (const std::vector<uint16_t>& file : pdaFiles) pda->Apply(file);
    if (!pdaFiles.empty() && DeriveRadioCalibration(*pda) < 0) {
        why = "the card's domain is unknown";
        return std::nullopt;
    }
    CardState after = before;
    for (const ImageFile& image : images) {
        const ImageFile plugged = Plugged(image, *pda);
        for (const ImageFile::Block& block : plugged.Blocks()) {
            WriteCardBytes(after, block.address, block.bytes);
        }
    }
    if (!pdaFiles.empty()) WritePdaWords(after, pda->Words());
    return after;
}

std::string FlashDifference(const CardState& card, const CardState& expected) {
    if (StoredPda(card) != StoredPda(expected)) return "the production data differs";
    const uint32_t pdaStart = StorageAddress(card.macType, LayoutFor(card.macType).pdaAddress);
    std::set<uint32_t> rows;
    auto collect = [&rows](uint32_t address, const uint8_t*, uint32_t) { rows.insert(address); };
    card.flash.ForEachWrittenRow(kCompareRowBytes, collect);
    expected.flash.ForEachWrittenRow(kCompareRowBytes, collect);
    for (uint32_t row : rows) {
        for (uint32_t address = row; address < row + kCompareRowBytes; ++address) {
            if (address >= pdaStart && address < pdaStart + kPdaBytes) continue;
            if (card.flash.ReadByte(address) != expected.flash.ReadByte(address)) {
                char text[96];
                std::snprintf(text, sizeof text, "flash differs at 0x%06X: 0x%02X, expected 0x%02X", address,
                              card.flash.ReadByte(address), expected.flash.ReadByte(address));
                return text;
            }
        }
    }
    return "";
}

}  // namespace sim
