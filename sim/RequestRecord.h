#pragma once

#include <cstddef>
#include <cstdint>

namespace sim {

// The record W32N_MakeNdisRequest is handed, as the library reads it: 4140
// bytes, little-endian, of which the caller fills bytes 20-43 (request type,
// OID, buffer address, buffer length, and two transfer counts it leaves 0).
// A 32-bit caller's buffer address is bytes 28-31; a 64-bit caller, whose
// address does not fit there, puts its high half in bytes 44-47 of the
// library's own area.
struct RequestRecordFields {
    uint32_t type = 0;
    uint32_t oid = 0;
    uint64_t bufferAddress = 0;
    uint32_t length = 0;
};

constexpr size_t kRequestRecordBytes = 4140;

// Reads the fields of `record` (kRequestRecordBytes bytes) as a library built
// for `pointerBits` (32 or 64) does.
RequestRecordFields DecodeRequestRecord(const uint8_t* record, unsigned pointerBits);

}  // namespace sim
