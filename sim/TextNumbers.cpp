#include "TextNumbers.h"

#include <cstdio>

namespace sim {

bool ParseNumber(const std::string& text, uint32_t& value) { return ParseNumber(text, 0xFFFFFFFFu, value); }

namespace {

bool ParseUnsigned(const std::string& text, uint64_t maximum, uint64_t& value) {
    size_t index = 0;
    uint64_t base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        index = 2;
    }
    if (index >= text.size()) return false;
    uint64_t result = 0;
    for (; index < text.size(); ++index) {
        const char c = text[index];
        uint64_t digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<uint64_t>(c - '0');
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = static_cast<uint64_t>(c - 'a' + 10);
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = static_cast<uint64_t>(c - 'A' + 10);
        } else {
            return false;
        }
        if (digit > maximum || result > (maximum - digit) / base) return false;
        result = result * base + digit;
    }
    value = result;
    return true;
}

}  // namespace

bool ParseNumber(const std::string& text, uint32_t maximum, uint32_t& value) {
    uint64_t parsed = 0;
    if (!ParseUnsigned(text, maximum, parsed)) return false;
    value = static_cast<uint32_t>(parsed);
    return true;
}

bool ParseCount(const std::string& text, uint64_t& value) { return ParseUnsigned(text, UINT64_MAX, value); }

std::string HexText(uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

std::string MacAddressText(const std::array<uint8_t, 6>& mac) {
    char text[18];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    return text;
}

bool ParseMacAddress(const std::string& text, std::array<uint8_t, 6>& mac) {
    if (text.size() != 17) return false;
    std::array<uint8_t, 6> parsed = {};
    for (size_t i = 0; i < 6; ++i) {
        if (i < 5 && text[3 * i + 2] != '-') return false;
        uint32_t value = 0;
        if (!ParseNumber("0x" + text.substr(3 * i, 2), 0xFF, value)) return false;
        parsed[i] = static_cast<uint8_t>(value);
    }
    mac = parsed;
    return true;
}

std::vector<std::string> SplitWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    for (char c : line) {
        if (c == ' ' || c == '\t') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

}  // namespace sim
