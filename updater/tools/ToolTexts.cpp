#include "tools/ToolTexts.h"

#include <cstdio>

#include "card/AdapterHandle.h"
#include "TextFormat.h"

namespace meru {

namespace {

constexpr char kCisHeading[] = "; CIS from flash\r\n; -------------------------";
constexpr uint8_t kCisEndCode = 0xFF;

void AppendHex(std::string& text, unsigned value) {
    char digits[12];
    velox::FormatText(digits, sizeof digits, "%x ", value);
    text += digits;
}

}  // namespace

std::string PdaDisplayText(const uint16_t* words, size_t count) {
    std::string text;
    if (count == 0) return text;
    size_t lastOfRecord = words[0];
    for (size_t i = 0; i < count; ++i) {
        if (i > lastOfRecord) {
            text += "\r\n";
            lastOfRecord = i + words[i];
        }
        AppendHex(text, words[i]);
    }
    return text;
}

std::string CisDisplayText(const uint8_t* bytes, size_t count) {
    std::string text = kCisHeading;
    size_t nextTuple = 0;
    bool ended = false;
    for (size_t i = 0; !ended && i < count; ++i) {
        if (i >= nextTuple) {
            ended = bytes[i] == kCisEndCode;
            text += "\r\n";
            // The last byte has no link byte; the walk ends after it anyway.
            if (i + 1 < count) nextTuple += bytes[i + 1] + 2u;
        }
        AppendHex(text, bytes[i]);
    }
    return text;
}

std::string DriverVersionText(uint32_t version) {
    char text[80];
    velox::FormatText(text, sizeof text, "Version: %u.%2u.%2u", static_cast<unsigned>(version >> 16),
                  static_cast<unsigned>((version >> 8) & 0xFF), static_cast<unsigned>(version & 0xFF));
    return text;
}

std::string MacIdText(uint16_t macType) {
    switch (macType) {
    case kMacTypeMx100: return "MAC ID: 0\n\n(Indicates MX100 MAC)";
    case kMacTypeMx200: return "MAC ID: 2\n\n(Indicates MX200-based MAC)";
    default:
        return std::to_string(macType) +
               "\n\n(Unknown MAC type. This tool is incompatible with this card and/or driver.)";
    }
}

}  // namespace meru
