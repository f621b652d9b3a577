#include "tools/PdaRestoreFile.h"

#include <algorithm>

#include "app/PdaTexts.h"
#include "base/InputFile.h"

namespace meru {

namespace {

// Length words the PDA rules give to the records the updater interprets
// (0x0001 is text of any length above 2).
struct RecordRule {
    uint16_t code;
    uint16_t length;
};
const RecordRule kRecordRules[] = {
    {0x0002, 2},  {0x0003, 7},  {0x0008, 5},  {0x0101, 4},  {0x0103, 7},
    {0x0300, 15}, {0x0301, 18}, {0x0900, 31}, {0x0901, 34},
};

std::string HexWordText(uint16_t value) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text = "0x0000";
    for (int i = 5; i >= 2; --i, value = static_cast<uint16_t>(value >> 4)) text[i] = kDigits[value & 0xF];
    return text;
}

// Far more than a backup's text (about 5 KiB) or any PDA in hexadecimal.
constexpr size_t kMaxFileBytes = 1 << 20;

bool ValidList(const Pda& list) { return list.SawEndRecord() && list.ReadCrc() == list.StoredCrc(); }

// A backup's record lines against its area: the area's words up to its
// end record, word for word, or none when the area held no valid list.
std::string CheckBackup(const std::string& text, RestoreFile& file) {
    file.records.ParseWords(file.area.data(), static_cast<uint16_t>(file.area.size()));
    uint16_t words[Pda::kMaxWords] = {};
    const uint16_t count = ParsePdaText(text, words);
    Pda lines;
    lines.ParseWords(words, count);
    const bool same = ValidList(file.records) ? ValidList(lines) && std::equal(words, words + count, file.area.begin())
                                              : count == 0;
    if (!same) return "its record lines do not match the card's area it holds";
    file.mac = PdaMacText(file.records);
    return "";
}

// A .pda file as a whole PDA.
std::string CheckRecords(const uint16_t* words, uint16_t count, RestoreFile& file) {
    Pda& records = file.records;
    records.ParseWords(words, count);
    for (const auto& record : records.Records()) {
        for (const RecordRule& rule : kRecordRules) {
            if (record[1] == rule.code && record[0] != rule.length) {
                return "its record " + HexWordText(rule.code) + " has the length word " + HexWordText(record[0]) +
                       ", not " + HexWordText(rule.length);
            }
        }
        if (record[1] == 0x0001 && record[0] <= 2) return "its record 0x0001 is too short";
    }
    if (records.Find(kPdaPlatform) == nullptr) {
        return "holds no platform record (0x0008); the card would be left without one";
    }
    if (records.Find(kPdaMacAddress) == nullptr) {
        return "holds no MAC address record (0x0101); the card would be left without one";
    }
    if (!records.SawEndRecord()) return "holds no end record: it is not a whole PDA";
    if (records.ReadCrc() != records.StoredCrc()) {
        return "has an end record whose check value " + HexWordText(records.StoredCrc()) +
               " does not match its records (" + HexWordText(records.ReadCrc()) + ")";
    }
    // The end record must be the file's last: ParseWords stops there.
    size_t index = 0;
    while (index < count && !(words[index] == 2 && index + 1 < count && words[index + 1] == 0)) {
        index += static_cast<size_t>(words[index]) + 1;
    }
    if (index + 3 != count) return "holds words after its end record";
    uint16_t serialized[Pda::kMaxSerializedWords];
    if (records.Serialize(serialized, Pda::kMaxSerializedWords) == 0) {
        return "does not fit the card's 512-word production data area";
    }
    file.mac = PdaMacText(records);
    return "";
}

}  // namespace

std::string LoadRestoreFile(const std::string& path, RestoreFile& file) {
    file = RestoreFile();
    const std::string named = "The file \"" + path + "\" ";
    std::string text;
    if (!ReadWholeFile(path, text, kMaxFileBytes)) return named + "could not be loaded as a .pda file.";
    PdaBackupContent backup;
    const std::string damaged = ReadPdaBackupText(text, backup);
    if (!damaged.empty()) return named + "is a PDA backup, but " + damaged + ".";
    if (backup.isBackup) {
        file.wholeArea = true;
        file.area = backup.area;
        file.permanentAddress = backup.permanentAddress;
        const std::string why = CheckBackup(text, file);
        return why.empty() ? "" : named + "is a PDA backup, but " + why + ".";
    }
    uint16_t words[Pda::kMaxWords] = {};
    const uint16_t count = ParsePdaText(text, words);
    if (count == 0) return named + "could not be loaded as a .pda file.";
    const std::string why = CheckRecords(words, count, file);
    return why.empty() ? "" : named + why + ".";
}

}  // namespace meru
