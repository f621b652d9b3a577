#pragma once

#include <cstdint>
#include <cstring>

namespace meru {

// The 4140-byte record handed to W32N_MakeNdisRequest. A fresh record is
// all zeros; the updater then writes only bytes 20-43, the rest belongs to
// the library. A 64-bit build cannot fit the buffer address into bytes
// 28-31, so it alone also keeps the address's high half in bytes 44-47 of
// the library's area (they stay zero in a 32-bit build, where the library
// never reads them).
struct NdisRequestRecord {
    static constexpr size_t kSize = 4140;
    static constexpr size_t kTypeOffset = 20;
    static constexpr size_t kOidOffset = 24;
    static constexpr size_t kBufferOffset = 28;
    static constexpr size_t kLengthOffset = 32;
    static constexpr size_t kTransferredOffset = 36;
    static constexpr size_t kNeededOffset = 40;
    static constexpr size_t kBufferHighOffset = 44;

    uint8_t bytes[kSize];

    // A fresh record for one request.
    static void Build(NdisRequestRecord& record, uint32_t type, uint32_t oid, void* buffer, uint32_t length) {
        std::memset(record.bytes, 0, kSize);
        const uint64_t address = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(buffer));
        Put(record, kTypeOffset, type);
        Put(record, kOidOffset, oid);
        Put(record, kBufferOffset, static_cast<uint32_t>(address));
        Put(record, kLengthOffset, buffer != nullptr ? length : 0);
        Put(record, kTransferredOffset, 0);
        Put(record, kNeededOffset, 0);
        if (sizeof(void*) > sizeof(uint32_t)) Put(record, kBufferHighOffset, static_cast<uint32_t>(address >> 32));
    }

    uint32_t Type() const { return Get(kTypeOffset); }
    uint32_t Oid() const { return Get(kOidOffset); }
    uint32_t Length() const { return Get(kLengthOffset); }
    void* Buffer() const {
        const uint64_t address = (static_cast<uint64_t>(Get(kBufferHighOffset)) << 32) | Get(kBufferOffset);
        return reinterpret_cast<void*>(static_cast<uintptr_t>(address));
    }

private:
    static void Put(NdisRequestRecord& record, size_t offset, uint32_t value) {
        for (int i = 0; i < 4; ++i) record.bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    }
    uint32_t Get(size_t offset) const {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(bytes[offset + i]) << (8 * i);
        return value;
    }
};

}  // namespace meru
