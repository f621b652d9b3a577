#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

namespace sim {

// Flash contents of a card: only the 64 KiB pages that were ever written are
// kept; everything else reads as erased (0xFF). Addresses are storage
// addresses, below `sizeBytes`.
class SparseFlash {
public:
    static constexpr uint32_t kPageBytes = 0x10000;
    static constexpr uint8_t kErased = 0xFF;

    explicit SparseFlash(uint32_t sizeBytes = 0x800000) : sizeBytes_(sizeBytes) {}

    uint32_t SizeBytes() const { return sizeBytes_; }
    // Changing the size drops pages that no longer fit.
    void Resize(uint32_t sizeBytes);

    uint8_t ReadByte(uint32_t address) const;
    void WriteByte(uint32_t address, uint8_t value);
    // False (nothing written) when the range leaves the address space.
    bool Write(uint32_t address, const uint8_t* data, uint32_t count);
    bool Contains(uint32_t address, uint32_t count) const {
        return address < sizeBytes_ && count <= sizeBytes_ - address;
    }

    void EraseAll() { pages_.clear(); }
    size_t PageCount() const { return pages_.size(); }

    // Calls visit(address, bytes, count) for each row of `rowBytes` that holds
    // anything but erased bytes, in address order.
    void ForEachWrittenRow(uint32_t rowBytes,
                           const std::function<void(uint32_t, const uint8_t*, uint32_t)>& visit) const;

    bool operator==(const SparseFlash& other) const;

private:
    uint32_t sizeBytes_;
    std::map<uint32_t, std::vector<uint8_t>> pages_;  // page number -> kPageBytes bytes
};

}  // namespace sim
