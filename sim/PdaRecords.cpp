#include "PdaRecords.h"

#include "PdaArea.h"

namespace sim {

std::optional<PdaRecords> PdaRecords::FromArea(const std::vector<uint16_t>& words) {
    const PdaLayout layout = WalkPda(words);
    if (!layout.CrcMatches()) return std::nullopt;
    PdaRecords records;
    for (const PdaRecordSpan& span : layout.records) {
        const auto first = words.begin() + static_cast<long>(span.index) + 2;
        records.records_[span.code] = std::vector<uint16_t>(first, first + (span.length - 1));
    }
    return records;
}

void PdaRecords::Apply(const std::vector<uint16_t>& words) {
    size_t index = 0;
    while (index < words.size()) {
        const uint16_t length = words[index];
        if (length == 0 || index + length >= words.size()) break;
        const uint16_t code = words[index + 1];
        if (length == 2 && code == 0) break;
        if (length == 1) {
            records_.erase(code);
        } else {
            const auto first = words.begin() + static_cast<long>(index) + 2;
            records_[code] = std::vector<uint16_t>(first, first + (length - 1));
        }
        index += static_cast<size_t>(length) + 1;
    }
}

const std::vector<uint16_t>* PdaRecords::Find(uint16_t code) const {
    const auto it = records_.find(code);
    return it == records_.end() ? nullptr : &it->second;
}

std::vector<uint16_t> PdaRecords::Words() const {
    std::vector<uint16_t> words;
    for (const auto& [code, data] : records_) {
        words.push_back(static_cast<uint16_t>(data.size() + 1));
        words.push_back(code);
        words.insert(words.end(), data.begin(), data.end());
    }
    CloseWithCrc(words);
    return words;
}

}  // namespace sim
