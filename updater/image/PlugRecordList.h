#pragma once

#include <cstddef>
#include <cstdint>
#include <list>

namespace meru {

constexpr uint32_t kFileNamePlugCode = 0xFFFFFFFF;

// Plug statuses.
constexpr uint32_t kPlugDone = 0;
constexpr uint32_t kPlugPending = 1;
constexpr uint32_t kPlugMissingPdr = 2;
constexpr uint32_t kPlugNoTarget = 3;
constexpr uint32_t kPlugLengthMismatch = 4;

struct PlugRecord {
    uint32_t code = 0;
    uint32_t targetAddress = 0;
    uint16_t length = 0;
    uint32_t status = kPlugPending;
};

// An image's plug records, sorted by ascending target address (unique).
class PlugRecordList {
public:
    PlugRecordList() = default;
    // A copy walks its own records: the cursor keeps its position.
    PlugRecordList(const PlugRecordList& other);
    PlugRecordList& operator=(const PlugRecordList& other);

    // 0 replaced (same target), 1 inserted before a record (or first into an
    // empty list), 2 appended at the end.
    int Add(uint32_t code, uint32_t targetAddress, uint16_t length);
    void Rewind();
    // The record at the cursor, advancing; nullptr at the end.
    PlugRecord* Next();
    void ResetStatuses();
    void Clear();
    size_t Count() const { return records_.size(); }
    const std::list<PlugRecord>& Records() const { return records_; }

private:
    std::list<PlugRecord> records_;
    std::list<PlugRecord>::iterator cursor_ = records_.end();
};

}  // namespace meru
