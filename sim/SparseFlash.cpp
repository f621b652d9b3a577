#include "SparseFlash.h"

#include <algorithm>

namespace sim {

void SparseFlash::Resize(uint32_t sizeBytes) {
    sizeBytes_ = sizeBytes;
    for (auto it = pages_.begin(); it != pages_.end();) {
        if (static_cast<uint64_t>(it->first) * kPageBytes >= sizeBytes_) {
            it = pages_.erase(it);
        } else {
            ++it;
        }
    }
}

uint8_t SparseFlash::ReadByte(uint32_t address) const {
    auto it = pages_.find(address / kPageBytes);
    return it == pages_.end() ? kErased : it->second[address % kPageBytes];
}

void SparseFlash::WriteByte(uint32_t address, uint8_t value) {
    if (address >= sizeBytes_) return;
    std::vector<uint8_t>& page = pages_[address / kPageBytes];
    if (page.empty()) page.assign(kPageBytes, kErased);
    page[address % kPageBytes] = value;
}

bool SparseFlash::Write(uint32_t address, const uint8_t* data, uint32_t count) {
    if (!Contains(address, count)) return false;
    while (count > 0) {
        std::vector<uint8_t>& page = pages_[address / kPageBytes];
        if (page.empty()) page.assign(kPageBytes, kErased);
        const uint32_t offset = address % kPageBytes;
        const uint32_t chunk = std::min(count, kPageBytes - offset);
        std::copy(data, data + chunk, page.begin() + offset);
        address += chunk;
        data += chunk;
        count -= chunk;
    }
    return true;
}

void SparseFlash::ForEachWrittenRow(uint32_t rowBytes,
                                    const std::function<void(uint32_t, const uint8_t*, uint32_t)>& visit) const {
    for (const auto& [number, page] : pages_) {
        for (uint32_t offset = 0; offset < kPageBytes; offset += rowBytes) {
            const uint32_t count = std::min(rowBytes, kPageBytes - offset);
            const uint8_t* row = page.data() + offset;
            if (std::all_of(row, row + count, [](uint8_t b) { return b == kErased; })) continue;
            visit(number * kPageBytes + offset, row, count);
        }
    }
}

bool SparseFlash::operator==(const SparseFlash& other) const {
    if (sizeBytes_ != other.sizeBytes_) return false;
    // A page that holds only erased bytes equals a missing page.
    auto erased = [](const std::vector<uint8_t>& page) {
        return std::all_of(page.begin(), page.end(), [](uint8_t b) { return b == kErased; });
    };
    for (const auto& [number, page] : pages_) {
        auto it = other.pages_.find(number);
        if (it == other.pages_.end() ? !erased(page) : it->second != page) return false;
    }
    for (const auto& [number, page] : other.pages_) {
        if (pages_.count(number) == 0 && !erased(page)) return false;
    }
    return true;
}

}  // namespace sim
