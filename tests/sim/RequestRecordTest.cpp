// The record W32N_MakeNdisRequest is handed, as the software library reads
// it: each field from its fixed byte offset, whatever the library's own
// bytes hold, and the buffer address's high half only in a 64-bit build.
#include <gtest/gtest.h>

#include <vector>

#include "sim/RequestRecord.h"

namespace {

void Put(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

TEST(RequestRecord, FieldsAreReadAtTheirByteOffsets) {
    std::vector<uint8_t> record(sim::kRequestRecordBytes, 0xA5);  // the library's own bytes: anything
    Put(record, 20, 1);
    Put(record, 24, 0xFF01018C);
    Put(record, 28, 0x0012FE40);
    Put(record, 32, 0x0000080E);
    Put(record, 44, 0x00007FF6);
    struct Case {
        unsigned pointerBits;
        uint64_t address;
    };
    for (const Case& c : {Case{32, 0x0012FE40}, Case{64, 0x00007FF60012FE40}}) {
        SCOPED_TRACE(c.pointerBits);
        const sim::RequestRecordFields fields = sim::DecodeRequestRecord(record.data(), c.pointerBits);
        EXPECT_EQ(fields.type, 1u);
        EXPECT_EQ(fields.oid, 0xFF01018Cu);
        EXPECT_EQ(fields.bufferAddress, c.address);
        EXPECT_EQ(fields.length, 0x80Eu);
    }
}

}  // namespace
