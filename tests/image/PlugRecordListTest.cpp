#include "image/PlugRecordList.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using meru::PlugRecordList;

std::vector<uint32_t> Targets(PlugRecordList& list) {
    std::vector<uint32_t> targets;
    list.Rewind();
    while (meru::PlugRecord* record = list.Next()) targets.push_back(record->targetAddress);
    return targets;
}

TEST(PlugRecordList, KeepsTargetsSortedAndUnique) {
    PlugRecordList list;
    EXPECT_EQ(list.Add(0x0101, 0x200, 6), 1);  // first into an empty list
    EXPECT_EQ(list.Add(0x0003, 0x300, 12), 2);
    EXPECT_EQ(list.Add(0x0008, 0x100, 2), 1);
    EXPECT_EQ(list.Add(0x0900, 0x280, 60), 1);
    EXPECT_EQ(list.Add(0xFFFFFFFF, 0x200, 8), 0);
    EXPECT_EQ(Targets(list), (std::vector<uint32_t>{0x100, 0x200, 0x280, 0x300}));
    list.Rewind();
    list.Next();
    const meru::PlugRecord* replaced = list.Next();
    EXPECT_EQ(replaced->code, meru::kFileNamePlugCode);
    EXPECT_EQ(replaced->length, 8);
    EXPECT_EQ(replaced->status, meru::kPlugPending);
}

TEST(PlugRecordList, StatusesResetAndClearEmpties) {
    PlugRecordList list;
    list.Add(1, 0x10, 2);
    list.Add(2, 0x20, 2);
    list.Rewind();
    list.Next()->status = meru::kPlugDone;
    list.Next()->status = meru::kPlugNoTarget;
    EXPECT_EQ(list.Next(), nullptr);
    EXPECT_EQ(list.Next(), nullptr);
    list.ResetStatuses();
    for (const auto& record : list.Records()) EXPECT_EQ(record.status, meru::kPlugPending);
    // A replaced record starts pending again.
    list.Rewind();
    list.Next()->status = meru::kPlugDone;
    list.Add(7, 0x10, 4);
    EXPECT_EQ(list.Records().front().status, meru::kPlugPending);
    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(list.Next(), nullptr);
    list.Rewind();
    EXPECT_EQ(list.Next(), nullptr);
}

TEST(PlugRecordList, ACopyWalksItsOwnRecords) {
    PlugRecordList list;
    list.Add(1, 0x10, 2);
    list.Add(2, 0x20, 2);
    list.Rewind();
    list.Next();
    PlugRecordList copy(list);
    list.Clear();
    meru::PlugRecord* next = copy.Next();
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->code, 2u);
    EXPECT_EQ(copy.Next(), nullptr);
    PlugRecordList assigned;
    assigned = copy;
    EXPECT_EQ(Targets(assigned), (std::vector<uint32_t>{0x10, 0x20}));
}

}  // namespace
