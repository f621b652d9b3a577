#include "image/PdaBackupText.h"

#include <algorithm>

namespace meru {

namespace {

const char kHeader[] = "; VELOX PDA backup\n";
const char kPermanentPrefix[] = "; permanent address ";
const char kMacPrefix[] = "; PDA MAC address ";
const char kAreaPrefix[] = "; area 0x";
const char kAreaCheckPrefix[] = "; area check 0x";
constexpr size_t kWordsPerAreaLine = 16;

std::string Hex4(uint16_t value) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text(4, '0');
    for (int i = 3; i >= 0; --i, value = static_cast<uint16_t>(value >> 4)) text[i] = kDigits[value & 0xF];
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Four hexadecimal digits at `at` of `line`; false when they are not there.
bool ReadHex4(const std::string& line, size_t at, uint16_t& value) {
    if (at + 4 > line.size()) return false;
    value = 0;
    for (size_t i = at; i < at + 4; ++i) {
        const int digit = HexDigit(line[i]);
        if (digit < 0) return false;
        value = static_cast<uint16_t>((value << 4) | digit);
    }
    return true;
}

bool StartsWith(const std::string& line, const char* prefix) { return line.rfind(prefix, 0) == 0; }

// The area's records up to and including the end record, one a line, in
// the card's order and as the card holds them (a record that the list
// replaced or dropped stays here too).
std::string RecordLines(const PdaAreaWords& area) {
    std::string text;
    for (size_t at = 0; at < area.size() && at + area[at] < area.size();) {
        const size_t end = at + area[at] + 1;
        for (size_t i = at; i < end; ++i) text += "0x" + Hex4(area[i]) + (i + 1 < end ? ", " : "\n");
        if (area[at] == 2 && area[at + 1] == 0) break;  // the end record
        at = end;
    }
    return text;
}

// One area line "; area 0xOOOO: WWWW WWWW ..." into `content`; false when
// it is not the line expected at `offset`.
bool ReadAreaLine(const std::string& line, size_t offset, PdaAreaWords& area) {
    uint16_t at = 0;
    const size_t prefix = sizeof kAreaPrefix - 1;
    if (!ReadHex4(line, prefix, at) || at != offset || line.compare(prefix + 4, 1, ":") != 0) return false;
    size_t column = prefix + 5;
    for (size_t i = 0; i < kWordsPerAreaLine; ++i, column += 5) {
        if (line.compare(column, 1, " ") != 0 || !ReadHex4(line, column + 1, area[offset + i])) return false;
    }
    return column == line.size();
}

}  // namespace

std::string PdaBackupText(const PdaAreaWords& area, const Pda* valid, const std::string& permanentAddress,
                          const std::string& pdaMac) {
    std::string text = kHeader;
    text += kPermanentPrefix + (permanentAddress.empty() ? std::string("unknown") : permanentAddress) + "\n";
    text += kMacPrefix + (pdaMac.empty() ? std::string("none") : pdaMac) + "\n";
    if (valid != nullptr) {
        text += "; " + std::to_string(valid->RecordCount()) + " records, check value 0x" + Hex4(valid->ListCrc()) +
                " (good)\n" + RecordLines(area);
    } else {
        text += "; no valid record list: the area below is what the card held\n";
    }
    for (size_t at = 0; at < area.size(); at += kWordsPerAreaLine) {
        text += kAreaPrefix + Hex4(static_cast<uint16_t>(at)) + ":";
        for (size_t i = at; i < at + kWordsPerAreaLine; ++i) text += " " + Hex4(area[i]);
        text += "\n";
    }
    text += kAreaCheckPrefix + Hex4(Crc16ArcWords(area.data(), area.size())) + "\n";
    return text;
}

std::string ReadPdaBackupText(const std::string& text, PdaBackupContent& content) {
    content = PdaBackupContent();
    if (!StartsWith(text, kHeader)) return "";
    content.isBackup = true;
    size_t areaWords = 0;
    bool checked = false;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        start = end + 1;
        if (checked) {
            if (!line.empty()) return "the backup goes on after its area's check value";
        } else if (StartsWith(line, kPermanentPrefix)) {
            content.permanentAddress = line.substr(sizeof kPermanentPrefix - 1);
        } else if (StartsWith(line, kAreaPrefix)) {
            if (areaWords >= content.area.size() || !ReadAreaLine(line, areaWords, content.area)) {
                return "the card's area words in the backup are damaged";
            }
            areaWords += kWordsPerAreaLine;
        } else if (StartsWith(line, kAreaCheckPrefix)) {
            uint16_t check = 0;
            if (areaWords != content.area.size() || !ReadHex4(line, sizeof kAreaCheckPrefix - 1, check) ||
                line.size() != sizeof kAreaCheckPrefix - 1 + 4) {
                return "the backup is incomplete: it does not hold the card's whole area";
            }
            if (check != Crc16ArcWords(content.area.data(), content.area.size())) {
                return "the card's area words in the backup do not match their check value";
            }
            checked = true;
        } else if (areaWords != 0) {
            return "the card's area words in the backup are damaged";
        }
    }
    if (!checked) return "the backup is incomplete: it does not hold the card's whole area";
    return "";
}

}  // namespace meru
