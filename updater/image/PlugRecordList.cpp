#include "PlugRecordList.h"

#include <iterator>

namespace meru {

PlugRecordList::PlugRecordList(const PlugRecordList& other) : records_(other.records_) {
    cursor_ = std::next(records_.begin(), std::distance(other.records_.begin(),
                                                        std::list<PlugRecord>::const_iterator(other.cursor_)));
}

PlugRecordList& PlugRecordList::operator=(const PlugRecordList& other) {
    if (this != &other) {
        const auto position =
            std::distance(other.records_.begin(), std::list<PlugRecord>::const_iterator(other.cursor_));
        records_ = other.records_;
        cursor_ = std::next(records_.begin(), position);
    }
    return *this;
}

int PlugRecordList::Add(uint32_t code, uint32_t targetAddress, uint16_t length) {
    const PlugRecord record{code, targetAddress, length, kPlugPending};
    auto it = records_.begin();
    while (it != records_.end() && it->targetAddress < targetAddress) ++it;
    if (it == records_.end()) {
        const bool wasEmpty = records_.empty();
        records_.push_back(record);
        return wasEmpty ? 1 : 2;
    }
    if (it->targetAddress == targetAddress) {
        *it = record;  // in place: a cursor on it stays valid
        return 0;
    }
    records_.insert(it, record);
    return 1;
}

void PlugRecordList::Rewind() { cursor_ = records_.begin(); }

PlugRecord* PlugRecordList::Next() {
    if (cursor_ == records_.end()) return nullptr;
    PlugRecord* record = &*cursor_;
    ++cursor_;
    return record;
}

void PlugRecordList::ResetStatuses() {
    for (auto& record : records_) record.status = kPlugPending;
}

void PlugRecordList::Clear() {
    records_.clear();
    cursor_ = records_.end();
}

}  // namespace meru
