// The record the updater hands W32N_MakeNdisRequest, byte by byte: every
// field at the offset the library reads it from, checked against fixed
// offsets rather than the record's own constants; and the software library
// reads back what the updater wrote.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "card/NdisRequestRecord.h"
#include "sim/RequestRecord.h"

namespace {

// Little-endian 32-bit value at a byte offset.
void Put(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

TEST(NdisRequestRecord, EachFieldSitsAtItsByteOffsetAndTheRestIsZero) {
    static_assert(sizeof(meru::NdisRequestRecord) == 4140, "the library's record is 4140 bytes");
    struct Case {
        const char* name;
        uint32_t type;
        uint32_t oid;
        uintptr_t buffer;  // 32-bit addresses, as in the shipped program
        uint32_t length;
        uint32_t lengthSent;
    };
    for (const Case& c : {
             Case{"download", 1, 0xFF01018C, 0x0012FE40, 2048, 2048},
             Case{"record read", 0, 0xFF010181, 0x00401000, 504, 504},
             Case{"command without buffer", 1, 0xFF010184, 0, 0, 0},
             Case{"length without buffer", 0, 0x00010116, 0, 4, 0},
             Case{"high bits of every field", 0x80000001, 0x80C0E0F0, 0xFFFFFFF0, 0x80000000, 0x80000000},
         }) {
        SCOPED_TRACE(c.name);
        auto record = std::make_unique<meru::NdisRequestRecord>();
        std::fill(std::begin(record->bytes), std::end(record->bytes), 0xA5);
        meru::NdisRequestRecord::Build(*record, c.type, c.oid, reinterpret_cast<void*>(c.buffer), c.length);

        std::vector<uint8_t> expected(4140, 0);
        Put(expected, 20, c.type);
        Put(expected, 24, c.oid);
        Put(expected, 28, static_cast<uint32_t>(c.buffer));
        Put(expected, 32, c.lengthSent);
        // 36-43: bytes transferred and bytes needed, 0; 44-47 stay 0 for a 32-bit address.
        const std::vector<uint8_t> built(std::begin(record->bytes), std::end(record->bytes));
        for (size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(built[i], expected[i]) << "byte " << i;
    }
}

TEST(RequestRecordDecoding, WhatTheUpdaterBuildsTheLibraryReadsBackInThisBuild) {
    uint8_t buffer[2048] = {};
    auto record = std::make_unique<meru::NdisRequestRecord>();
    meru::NdisRequestRecord::Build(*record, 0, 0xFF010186, buffer, 1030);
    const auto address = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(buffer));
    const sim::RequestRecordFields native =
        sim::DecodeRequestRecord(record->bytes, static_cast<unsigned>(8 * sizeof(void*)));
    EXPECT_EQ(native.type, 0u);
    EXPECT_EQ(native.oid, 0xFF010186u);
    EXPECT_EQ(native.bufferAddress, address);
    EXPECT_EQ(native.length, 1030u);
    EXPECT_EQ(sim::DecodeRequestRecord(record->bytes, 32).bufferAddress, address & 0xFFFFFFFFu)
        << "a 32-bit library sees the low half where it looks";
}

}  // namespace
