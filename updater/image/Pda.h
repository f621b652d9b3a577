#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <vector>

namespace meru {

// CRC-16/ARC (poly 0x8005 reflected, init 0, no final xor) over the bytes of
// 16-bit words, low byte first, continuing from `crc`.
uint16_t Crc16ArcWords(const uint16_t* words, size_t count, uint16_t crc = 0);
uint16_t Crc16ArcBytes(const uint8_t* bytes, size_t count, uint16_t crc = 0);

// The production data area: records {length L, PDR code, L-1 data words}
// sorted by code, closed by the end record {2, 0, CRC}.
class Pda {
public:
    static constexpr size_t kMaxWords = 512;
    // Serialize writes at most this many words: the records and the end
    // record together fit the card's area.
    static constexpr size_t kMaxSerializedWords = kMaxWords;

    void Clear();
    // Applies a word stream: adds/replaces records, deletes on length 1, stops
    // after the end record. Returns the number of records processed.
    uint16_t ParseWords(const uint16_t* words, uint16_t count);
    // record[0] is L; L+1 words are read. 0 replaced, 1 inserted (or end
    // record / first record), 2 appended; kRecordRefused for a length word
    // of 0 (no code to file it under), with nothing read past it.
    static constexpr int kRecordRefused = -1;
    int AddRecord(const uint16_t* record);
    // The code when a record was removed, 0 when none had it.
    uint16_t RemoveRecord(uint16_t code);
    // The record's words, length word first, or nullptr.
    const uint16_t* Find(uint16_t code) const;

    uint16_t ListCrc() const;
    uint16_t ReadCrc() const;
    uint16_t StoredCrc() const { return storedCrc_; }
    // Whether an end record was added since the last Clear.
    bool SawEndRecord() const { return sawEndRecord_; }

    // Writes the records and the end record into output (capacity words);
    // the word count, or 0 when records and end record exceed 512 words
    // (logged) or the output is too small. Never writes past `capacity`.
    uint16_t Serialize(uint16_t* output, size_t capacity) const;

    bool Empty() const { return records_.empty(); }
    size_t RecordCount() const { return records_.size(); }
    // The records in list order, each as its L+1 words.
    const std::list<std::vector<uint16_t>>& Records() const { return records_; }

private:
    std::list<std::vector<uint16_t>> records_;
    uint16_t storedCrc_ = 0;
    uint16_t runningCrc_ = 0;
    bool sawEndRecord_ = false;
};

// Reads a .pda text file into output (room for 512 words). The number of
// words read, 0 on any error (missing, empty, malformed, incomplete record).
uint16_t ReadPdaTextFile(const std::string& path, uint16_t* output);
// The same for .pda text already in memory.
uint16_t ParsePdaText(const std::string& text, uint16_t* output);

}  // namespace meru
