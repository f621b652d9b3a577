#include "TextNumbers.h"

#include <cstdio>
#include <cstring>

namespace sim {

bool ParseNumber(const std::string& text, uint32_t& value) { return ParseNumber(text, 0xFFFFFFFFu, value); }

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

// The value of a digit in `base` (10 or 16, either case); -1 for none.
int DigitValue(char c, int base) {
    if (c >= '0' && c <= '9') return c - '0';
    if (base != 16) return -1;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

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
        const int value = DigitValue(text[index], static_cast<int>(base));
        if (value < 0) return false;
        const uint64_t digit = static_cast<uint64_t>(value);
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

void AppendHexBytes(std::string& text, const uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        text += kHexDigits[bytes[i] >> 4];
        text += kHexDigits[bytes[i] & 15];
    }
}

bool ParseHexBytes(const char* digits, size_t count, uint8_t* bytes) {
    for (size_t i = 0; i < count; ++i) {
        const int high = DigitValue(digits[2 * i], 16);
        const int low = DigitValue(digits[2 * i + 1], 16);
        if (high < 0 || low < 0) return false;
        bytes[i] = static_cast<uint8_t>(high * 16 + low);
    }
    return true;
}

std::string MacAddressText(const std::array<uint8_t, 6>& mac) {
    std::string text;
    for (size_t i = 0; i < mac.size(); ++i) {
        if (i > 0) text += '-';
        AppendHexBytes(text, &mac[i], 1);
    }
    return text;
}

bool ParseMacAddress(const std::string& text, std::array<uint8_t, 6>& mac) {
    if (text.size() != 17) return false;
    std::array<uint8_t, 6> parsed = {};
    for (size_t i = 0; i < 6; ++i) {
        if (i < 5 && text[3 * i + 2] != '-') return false;
        if (!ParseHexBytes(&text[3 * i], 1, &parsed[i])) return false;
    }
    mac = parsed;
    return true;
}

std::vector<std::string> SplitAt(const std::string& text, const char* separators) {
    std::vector<std::string> pieces;
    std::string piece;
    for (char c : text) {
        if (std::strchr(separators, c) == nullptr || c == '\0') {
            piece += c;
        } else if (!piece.empty()) {
            pieces.push_back(piece);
            piece.clear();
        }
    }
    if (!piece.empty()) pieces.push_back(piece);
    return pieces;
}

}  // namespace sim
