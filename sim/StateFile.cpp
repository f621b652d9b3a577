#include "StateFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <unordered_set>
#include <vector>

#include "CardLayout.h"
#include "CardMemory.h"
#include "CardRecords.h"
#include "TextNumbers.h"

namespace sim {

namespace {

constexpr const char* kHeader = "velox-sim-card-state 1";
constexpr uint32_t kFlashRowBytes = 32;
constexpr size_t kMaxRecordWords = 250;

// The identity words on the "-identity" line, the supplier range on the "-supplier" one.
void FormatFirmware(std::ostringstream& out, const char* name, const FactoryFirmware& firmware) {
    const std::array<uint16_t, 8> words = firmware.Words();
    out << "factory-" << name << "-identity " << words[0] << ' ' << words[1] << ' ' << words[2] << ' ' << words[3]
        << '\n';
    out << "factory-" << name << "-supplier " << words[4] << ' ' << words[5] << ' ' << words[6] << ' ' << words[7]
        << '\n';
    out << "factory-" << name << "-name " << firmware.fileName << '\n';
}

// One line of a state file: its keyword and words, and what the rest of the
// line after the keyword says as one text.
struct StateLine {
    size_t number = 0;
    std::string keyword;
    std::vector<std::string> words;  // after the keyword
    std::string rest;                // after the keyword and one space
};

class StateParser {
public:
    StateParser(CardState& card, std::string& error) : card_(card), error_(error) {}

    bool Line(const StateLine& line);
    // A "flash" line, read straight from its text: most lines are these.
    bool FlashRow(size_t number, const std::string& raw);
    bool Finish();

private:
    bool Fail(const std::string& message) {
        error_ = "line " + std::to_string(line_->number) + ": " + message;
        return false;
    }
    bool Once(const std::string& keyword) {
        if (!seen_.insert(keyword).second) return Fail(keyword + " given twice");
        return true;
    }
    bool Count(size_t count) {
        if (line_->words.size() != count) {
            return Fail(line_->keyword + " takes " + std::to_string(count) + " value" + (count == 1 ? "" : "s"));
        }
        return true;
    }
    bool Number(size_t index, uint32_t maximum, uint32_t& value) {
        if (!ParseNumber(line_->words[index], maximum, value)) {
            return Fail("bad number '" + line_->words[index] + "' (at most " + HexText(maximum, 1) + ")");
        }
        return true;
    }
    bool Words16(size_t first, std::vector<uint16_t>& words) {
        for (size_t i = first; i < line_->words.size(); ++i) {
            uint32_t value = 0;
            if (!Number(i, 0xFFFF, value)) return false;
            words.push_back(static_cast<uint16_t>(value));
        }
        return true;
    }
    bool Flag(bool& flag) {
        uint32_t value = 0;
        if (!Count(1) || !Number(0, 1, value)) return false;
        flag = value != 0;
        return true;
    }
    bool Firmware(const std::string& part, FactoryFirmware& firmware);

    CardState& card_;
    std::string& error_;
    const StateLine* line_ = nullptr;
    std::set<std::string> seen_;
    SparseFlash rows_{0x80000000u};  // the flash rows, checked against the card's size at the end
    std::unordered_set<uint32_t> rowAddresses_;
    uint64_t highestRowEnd_ = 0;
    size_t highestRowLine_ = 0;
    uint32_t highestRowAddress_ = 0;
};

bool StateParser::Firmware(const std::string& part, FactoryFirmware& firmware) {
    if (part == "name") {
        if (line_->words.size() > 1) return Fail("a file name has no spaces");
        firmware.fileName = line_->words.empty() ? std::string() : line_->words[0];
        return true;
    }
    std::vector<uint16_t> values;
    if (!Count(4) || !Words16(0, values)) return false;
    std::array<uint16_t, 8> words = firmware.Words();
    std::copy(values.begin(), values.end(), words.begin() + (part == "identity" ? 0 : 4));
    static_cast<IdentityBlock&>(firmware) = IdentityBlock::FromWords(words);
    return true;
}

bool StateParser::FlashRow(size_t number, const std::string& raw) {
    StateLine line;
    line.number = number;
    line.keyword = "flash";
    line_ = &line;
    size_t index = raw.find_first_not_of(" \t") + 5;
    size_t tokens[2][2] = {};
    size_t found = 0;
    while (index < raw.size()) {
        while (index < raw.size() && (raw[index] == ' ' || raw[index] == '\t')) ++index;
        if (index >= raw.size()) break;
        const size_t start = index;
        while (index < raw.size() && raw[index] != ' ' && raw[index] != '\t') ++index;
        if (found == 2) return Fail("flash takes 2 values");
        tokens[found][0] = start;
        tokens[found][1] = index - start;
        ++found;
    }
    if (found != 2) return Fail("flash takes 2 values");
    uint32_t address = 0;
    const std::string addressText = raw.substr(tokens[0][0], tokens[0][1]);
    if (!ParseNumber(addressText, 0x7FFFFFFF, address)) return Fail("bad number '" + addressText + "' (at most 0x7FFFFFFF)");
    if (address % kFlashRowBytes != 0) return Fail("flash row address must be a multiple of 32");
    const char* hex = raw.data() + tokens[1][0];
    const size_t digits = tokens[1][1];
    if (digits % 2 != 0 || digits > 2 * kFlashRowBytes) {
        return Fail("flash row needs 1 to 32 bytes as pairs of hexadecimal digits");
    }
    uint8_t bytes[kFlashRowBytes];
    if (!ParseHexBytes(hex, digits / 2, bytes)) return Fail("bad hexadecimal digits in flash row");
    if (!rowAddresses_.insert(address).second) return Fail("flash row " + HexText(address, 6) + " given twice");
    const uint32_t count = static_cast<uint32_t>(digits / 2);
    rows_.Write(address, bytes, count);
    if (address + count > highestRowEnd_) {
        highestRowEnd_ = address + count;
        highestRowLine_ = number;
        highestRowAddress_ = address;
    }
    return true;
}

bool StateParser::Line(const StateLine& line) {
    line_ = &line;
    const std::string& key = line.keyword;
    const bool repeatable = key == "record" || key == "fault" || key == "counter" || key == "fired";
    if (!repeatable && !Once(key)) return false;
    uint32_t value = 0;
    if (key == "mac-type") {
        if (!Count(1) || !Number(0, 0xFFFF, value)) return false;
        card_.macType = static_cast<uint16_t>(value);
    } else if (key == "device") {
        if (!Count(1)) return false;
        card_.deviceName = line.words[0];
    } else if (key == "permanent-address") {
        if (!Count(1) || !ParseMacAddress(line.words[0], card_.permanentAddress)) {
            return Fail("permanent-address takes six hexadecimal pairs joined by '-'");
        }
    } else if (key == "driver-version") {
        if (!Count(1) || !Number(0, 0xFFFFFFFF, card_.driverVersion)) return false;
    } else if (key == "vendor-description") {
        if (line.rest.size() >= 260) return Fail("vendor-description is longer than 259 characters");
        card_.vendorDescription = line.rest;
    } else if (key == "library-last-error") {
        if (!Count(1) || !Number(0, 0xFFFFFFFF, card_.libraryLastError)) return false;
    } else if (key.rfind("factory-primary-", 0) == 0 || key.rfind("factory-station-", 0) == 0) {
        const std::string part = key.substr(16);
        if (part != "identity" && part != "supplier" && part != "name") return Fail("unknown keyword '" + key + "'");
        return Firmware(part, key[8] == 'p' ? card_.primary : card_.station);
    } else if (key == "record") {
        if (line.words.empty() || line.words.size() > kMaxRecordWords + 1) {
            return Fail("record takes a RID and 0 to " + std::to_string(kMaxRecordWords) + " data words");
        }
        std::vector<uint16_t> words;
        if (!Words16(0, words)) return false;
        const uint16_t rid = words[0];
        if (IsComputedRecord(rid)) return Fail("record " + HexText(rid) + " is computed by the card, not stored");
        if (card_.records.count(rid) != 0) return Fail("record " + HexText(rid) + " given twice");
        card_.records[rid].assign(words.begin() + 1, words.end());
    } else if (key == "aux-enabled") {
        return Flag(card_.session.auxEnabled);
    } else if (key == "protocols-blocked") {
        return Flag(card_.session.protocolsBlocked);
    } else if (key == "preparation-step") {
        if (!Count(1) || !Number(0, 2, value)) return false;
        card_.session.preparationStep = static_cast<int>(value);
    } else if (key == "flaky-read-count") {
        if (!Count(1) || !Number(0, 0xFFFFFFFF, card_.flakyReadCount)) return false;
    } else if (key == "fault") {
        std::string message;
        if (!ParseFault(line.words, card_.faults, message)) return Fail(message);
    } else if (key == "counter") {
        uint32_t oid = 0;
        uint64_t counts[3] = {};
        if (!Count(4) || !Number(0, 0xFFFFFFFF, oid)) return false;
        for (size_t i = 0; i < 3; ++i) {
            if (!ParseCount(line.words[i + 1], counts[i])) return Fail("bad count '" + line.words[i + 1] + "'");
        }
        const uint64_t requests = counts[0], failures = counts[1], bytes = counts[2];
        if (failures > requests) return Fail("counter has more failures than requests");
        if (card_.counters.All().count(oid) != 0) return Fail("counter " + HexText(oid, 8) + " given twice");
        card_.counters.Set(oid, {requests, failures, bytes});
    } else if (key == "fired") {
        uint64_t count = 0;
        if (!Count(2)) return false;
        if (!ParseCount(line.words[1], count) || count == 0) return Fail("bad count '" + line.words[1] + "'");
        if (!card_.faultsFired.emplace(line.words[0], count).second) {
            return Fail("fired " + line.words[0] + " given twice");
        }
    } else {
        return Fail("unknown keyword '" + key + "'");
    }
    return true;
}

bool StateParser::Finish() {
    const uint32_t size = LayoutFor(card_.macType).flashBytes;
    if (highestRowEnd_ > size) {
        error_ = "line " + std::to_string(highestRowLine_) + ": flash row " + HexText(highestRowAddress_, 6) +
                 " lies outside the " + std::to_string(size / 0x100000) + " MiB of a MAC type " +
                 std::to_string(card_.macType) + " card";
        return false;
    }
    card_.flash = std::move(rows_);
    SetMacType(card_, card_.macType);
    return true;
}

}  // namespace

std::string FormatState(const CardState& card) {
    std::ostringstream out;
    out << kHeader << '\n';
    out << "mac-type " << card.macType << '\n';
    if (!card.deviceName.empty()) out << "device " << card.deviceName << '\n';
    out << "permanent-address " << MacAddressText(card.permanentAddress) << '\n';
    out << "driver-version " << HexText(card.driverVersion, 8) << '\n';
    out << "vendor-description " << card.vendorDescription << '\n';
    out << "library-last-error " << HexText(card.libraryLastError, 1) << '\n';
    FormatFirmware(out, "primary", card.primary);
    FormatFirmware(out, "station", card.station);
    for (const auto& [rid, data] : card.records) {
        out << "record " << HexText(rid);
        for (uint16_t word : data) out << ' ' << HexText(word);
        out << '\n';
    }
    out << "aux-enabled " << (card.session.auxEnabled ? 1 : 0) << '\n';
    out << "protocols-blocked " << (card.session.protocolsBlocked ? 1 : 0) << '\n';
    out << "preparation-step " << card.session.preparationStep << '\n';
    out << "flaky-read-count " << card.flakyReadCount << '\n';
    for (const std::string& fault : DescribeFaults(card.faults)) out << "fault " << fault << '\n';
    for (const auto& [oid, traffic] : card.counters.All()) {
        out << "counter " << HexText(oid, 8) << ' ' << traffic.requests << ' ' << traffic.failures << ' '
            << traffic.bytes << '\n';
    }
    for (const auto& [kind, count] : card.faultsFired) out << "fired " << kind << ' ' << count << '\n';
    // The flash is most of the file: written without streams.
    std::string text = out.str();
    text.reserve(text.size() + card.flash.PageCount() * (SparseFlash::kPageBytes / kFlashRowBytes) * 82);
    card.flash.ForEachWrittenRow(kFlashRowBytes, [&](uint32_t address, const uint8_t* bytes, uint32_t count) {
        while (bytes[count - 1] == SparseFlash::kErased) --count;  // a written row has a non-erased byte
        text += "flash ";
        text += HexText(address, 6);
        text += ' ';
        AppendHexBytes(text, bytes, count);
        text += '\n';
    });
    return text;
}

bool ParseState(const std::string& text, CardState& card, std::string& error) {
    CardState parsed;
    StateParser parser(parsed, error);
    std::istringstream in(text);
    std::string raw;
    size_t number = 0;
    bool headerSeen = false;
    while (std::getline(in, raw)) {
        ++number;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        // A CR anywhere else would end up in a value that, once saved, reads
        // back without it (as the line end): such a line is no text line.
        if (raw.find_first_of(std::string("\0\r", 2)) != std::string::npos) {
            error = "line " + std::to_string(number) + ": not a text line";
            return false;
        }
        const size_t first = raw.find_first_not_of(" \t");
        if (headerSeen && first != std::string::npos && raw.compare(first, 5, "flash") == 0 &&
            (first + 5 == raw.size() || raw[first + 5] == ' ' || raw[first + 5] == '\t')) {
            if (!parser.FlashRow(number, raw)) return false;
            continue;
        }
        std::vector<std::string> words = SplitWords(raw);
        if (words.empty() || words[0][0] == '#') continue;
        if (!headerSeen) {
            if (words.size() != 2 || words[0] + " " + words[1] != kHeader) {
                error = "line " + std::to_string(number) + ": not a software card state file (expected '" +
                        std::string(kHeader) + "')";
                return false;
            }
            headerSeen = true;
            continue;
        }
        StateLine line;
        line.number = number;
        line.keyword = words[0];
        line.words.assign(words.begin() + 1, words.end());
        const size_t start = raw.find(line.keyword) + line.keyword.size();
        line.rest = start < raw.size() ? raw.substr(start + 1) : std::string();
        if (!parser.Line(line)) return false;
    }
    if (!headerSeen) {
        error = "empty file: not a software card state file";
        return false;
    }
    if (!parser.Finish()) return false;
    card = std::move(parsed);
    return true;
}

bool LoadStateFile(const std::string& path, CardState& card, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open state file '" + path + "'";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (!ParseState(text.str(), card, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool SaveStateFile(const std::string& path, const CardState& card, std::string& error) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << FormatState(card);
        out.flush();
        if (!out) {
            error = "cannot write state file '" + temporary + "'";
            return false;
        }
    }
    std::error_code failure;
    std::filesystem::rename(temporary, path, failure);
    if (failure) {
        error = "cannot replace state file '" + path + "': " + failure.message();
        std::filesystem::remove(temporary, failure);
        return false;
    }
    return true;
}

}  // namespace sim
