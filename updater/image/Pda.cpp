#include "Pda.h"

#include <algorithm>

#include "base/SessionLog.h"

namespace meru {

namespace {

constexpr uint16_t kEndRecordCode = 0x0000;
constexpr uint16_t kEndRecordLength = 2;
constexpr uint16_t kDeleteLength = 1;
// The end record's length word and code; its data word is the CRC.
constexpr uint16_t kEndRecordHeader[2] = {kEndRecordLength, kEndRecordCode};

bool IsEndRecord(const uint16_t* record) {
    return record[0] == kEndRecordLength && record[1] == kEndRecordCode;
}

}  // namespace

void Pda::Clear() {
    records_.clear();
    storedCrc_ = 0;
    runningCrc_ = 0;
    sawEndRecord_ = false;
}

uint16_t Pda::ParseWords(const uint16_t* words, uint16_t count) {
    uint16_t processed = 0;
    size_t index = 0;
    // A record is taken only when its last word lies inside the count.
    while (index < count && index + words[index] < count) {
        const uint16_t length = words[index];
        if (length == 0) {
            // A bare length word of 0 announces nothing, not even a code:
            // there is no record to keep, so step over that one word.
            index += 1;
            continue;
        }
        if (length == kDeleteLength) {
            RemoveRecord(words[index + 1]);
        } else {
            AddRecord(&words[index]);
        }
        ++processed;
        if (IsEndRecord(&words[index])) break;
        index += static_cast<size_t>(length) + 1;
    }
    return processed;
}

int Pda::AddRecord(const uint16_t* record) {
    const uint16_t length = record[0];
    if (length == 0) return kRecordRefused;
    if (IsEndRecord(record)) {
        storedCrc_ = record[2];
        sawEndRecord_ = true;
        return 1;
    }
    const size_t wordCount = static_cast<size_t>(length) + 1;
    std::vector<uint16_t> copy(record, record + wordCount);
    const uint16_t code = record[1];

    int result = 2;
    if (records_.empty()) {
        records_.push_back(std::move(copy));
        runningCrc_ = 0;
        result = 1;
    } else {
        auto it = std::find_if(records_.begin(), records_.end(),
                               [code](const std::vector<uint16_t>& r) { return r[1] >= code; });
        if (it == records_.end()) {
            records_.push_back(std::move(copy));
            result = 2;
        } else if ((*it)[1] == code) {
            *it = std::move(copy);
            result = 0;
        } else {
            records_.insert(it, std::move(copy));
            result = 1;
        }
    }
    runningCrc_ = Crc16ArcWords(record, wordCount, runningCrc_);
    return result;
}

uint16_t Pda::RemoveRecord(uint16_t code) {
    auto it = std::find_if(records_.begin(), records_.end(),
                           [code](const std::vector<uint16_t>& r) { return r[1] == code; });
    if (it == records_.end()) return 0;
    records_.erase(it);
    return code;
}

const uint16_t* Pda::Find(uint16_t code) const {
    for (const auto& record : records_) {
        if (record[1] == code) return record.data();
    }
    return nullptr;
}

uint16_t Pda::ListCrc() const {
    uint16_t crc = 0;
    for (const auto& record : records_) crc = Crc16ArcWords(record.data(), record.size(), crc);
    return Crc16ArcWords(kEndRecordHeader, 2, crc);
}

uint16_t Pda::ReadCrc() const { return Crc16ArcWords(kEndRecordHeader, 2, runningCrc_); }

uint16_t Pda::Serialize(uint16_t* output, size_t capacity) const {
    size_t recordWords = 0;
    for (const auto& record : records_) recordWords += record.size();
    // The end record's three words must fit the area too.
    if (recordWords + 3 > kMaxSerializedWords) {
        LogPrintf("PDA OVERFLOW. PDA EXCEEDS %u WORD LIMIT.\n", static_cast<unsigned>(kMaxWords));
        return 0;
    }
    const size_t total = recordWords + 3;
    if (total > capacity) {
        LogPrintf("PDA needs %u words; the output holds only %u.\n", static_cast<unsigned>(total),
                  static_cast<unsigned>(capacity));
        return 0;
    }
    size_t written = 0;
    for (const auto& record : records_) {
        std::copy(record.begin(), record.end(), output + written);
        written += record.size();
    }
    output[written++] = kEndRecordLength;
    output[written++] = kEndRecordCode;
    output[written++] = ListCrc();
    return static_cast<uint16_t>(written);
}

}  // namespace meru
