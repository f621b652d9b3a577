#include "PdaArea.h"

#include "CardLayout.h"
#include "CardMemory.h"
#include "Crc16Arc.h"

namespace sim {

namespace {

constexpr uint16_t kEndRecordHeader[2] = {0x0002, 0x0000};

}  // namespace

std::vector<uint16_t> ReadPdaWords(const CardState& card) {
    return ReadCardWords(card, LayoutFor(card.macType).pdaAddress, kPdaBytes / 2);
}

bool WritePdaWords(CardState& card, const std::vector<uint16_t>& words) {
    if (words.size() > kPdaBytes / 2) return false;
    return WriteCardWords(card, LayoutFor(card.macType).pdaAddress, words);
}

PdaLayout WalkPda(const std::vector<uint16_t>& words) {
    PdaLayout layout;
    size_t index = 0;
    while (index < words.size()) {
        const uint16_t length = words[index];
        if (length == 0 || index + length >= words.size()) break;
        const uint16_t code = words[index + 1];
        if (length == 2 && code == 0) {
            layout.endIndex = index;
            layout.storedCrc = words[index + 2];
            break;
        }
        layout.records.push_back({index, length, code});
        index += static_cast<size_t>(length) + 1;
    }
    const size_t covered = layout.endIndex ? *layout.endIndex : index;
    layout.computedCrc = Crc16ArcOfWords(words.data(), covered);
    layout.computedCrc = Crc16ArcOfWords(kEndRecordHeader, 2, layout.computedCrc);
    return layout;
}

void CloseWithCrc(std::vector<uint16_t>& words) {
    uint16_t crc = Crc16ArcOfWords(words.data(), words.size());
    crc = Crc16ArcOfWords(kEndRecordHeader, 2, crc);
    words.insert(words.end(), {kEndRecordHeader[0], kEndRecordHeader[1], crc});
}

bool CorruptPdaCrc(CardState& card) {
    std::vector<uint16_t> words = ReadPdaWords(card);
    const PdaLayout layout = WalkPda(words);
    if (!layout.endIndex) return false;
    words[*layout.endIndex + 2] = static_cast<uint16_t>(layout.computedCrc ^ 0x5A5A);
    words.resize(*layout.endIndex + 3);
    return WritePdaWords(card, words);
}

std::optional<uint16_t> PdaFirstDataWord(const std::vector<uint16_t>& words, uint16_t code) {
    for (const PdaRecordSpan& record : WalkPda(words).records) {
        if (record.code == code && record.length >= 2) return words[record.index + 2];
    }
    return std::nullopt;
}

}  // namespace sim
