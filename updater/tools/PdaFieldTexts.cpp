#include "tools/PdaFieldTexts.h"

#include <cctype>
#include <cstring>

#include "app/PdaTexts.h"

namespace meru {

namespace {

constexpr size_t kMacDigits = 12;
constexpr size_t kSerialCharacters = 12;

int HexDigitValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

MacParse ParseMacText(const std::string& text) {
    MacParse result;
    // The text as the dialog's field holds it: up to its first NUL.
    const size_t length = std::strlen(text.c_str());
    const auto first = static_cast<unsigned char>(text.c_str()[0]);
    if (length < kMacDigits || first == 0 || (first & 0x80) != 0) return result;

    uint8_t digits[kMacDigits];
    size_t found = 0;
    for (size_t i = 0; i < length && found < kMacDigits; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c & 0x80) != 0) break;
        const int value = HexDigitValue(c);
        if (value >= 0) digits[found++] = static_cast<uint8_t>(value);
    }
    if (found < kMacDigits) return result;

    for (size_t k = 0; k < 3; ++k) {
        const unsigned low = digits[4 * k] * 16u + digits[4 * k + 1];
        const unsigned high = digits[4 * k + 2] * 16u + digits[4 * k + 3];
        result.words[k] = static_cast<uint16_t>(low | (high << 8));
    }
    result.outcome = result.words[0] == 0 ? MacOutcome::kRefusedZero : MacOutcome::kAccepted;
    return result;
}

std::string FormatMacText(const MacWords& words) {
    std::string text = MacTextOfWords(words.data());
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string ReformatMacText(const std::string& text) {
    const MacParse parsed = ParseMacText(text);
    if (parsed.outcome == MacOutcome::kNotAMac) return text;
    return MacTextOfWords(parsed.words.data());
}

SerialWords PackSerialText(const std::string& text) {
    SerialWords words = {0, 0, 0, 0, 0, 0};
    const size_t used = text.size() < kSerialCharacters ? text.size() : kSerialCharacters;
    for (size_t i = 0; i < used; ++i) {
        const auto byte = static_cast<uint16_t>(static_cast<unsigned char>(text[i]));
        words[i / 2] = static_cast<uint16_t>(words[i / 2] | (i % 2 == 0 ? byte : byte << 8));
    }
    return words;
}

}  // namespace meru
