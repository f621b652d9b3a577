#include "RequestRecord.h"

namespace sim {

namespace {

constexpr size_t kTypeAt = 20;
constexpr size_t kOidAt = 24;
constexpr size_t kBufferAt = 28;
constexpr size_t kLengthAt = 32;
constexpr size_t kBufferHighAt = 44;  // 64-bit callers only

uint32_t Word32(const uint8_t* record, size_t at) {
    return static_cast<uint32_t>(record[at]) | static_cast<uint32_t>(record[at + 1]) << 8 |
           static_cast<uint32_t>(record[at + 2]) << 16 | static_cast<uint32_t>(record[at + 3]) << 24;
}

}  // namespace

RequestRecordFields DecodeRequestRecord(const uint8_t* record, unsigned pointerBits) {
    RequestRecordFields fields;
    fields.type = Word32(record, kTypeAt);
    fields.oid = Word32(record, kOidAt);
    fields.bufferAddress = Word32(record, kBufferAt);
    if (pointerBits > 32) fields.bufferAddress |= static_cast<uint64_t>(Word32(record, kBufferHighAt)) << 32;
    fields.length = Word32(record, kLengthAt);
    return fields;
}

}  // namespace sim
