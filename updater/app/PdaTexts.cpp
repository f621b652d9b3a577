#include "app/PdaTexts.h"

#include <cstdio>

#include "image/Pda.h"
#include "TextFormat.h"

namespace meru {

std::string MacText(const uint8_t (&bytes)[6]) {
    char text[18];
    velox::FormatText(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", bytes[0], bytes[1], bytes[2], bytes[3],
                  bytes[4], bytes[5]);
    return text;
}

std::string MacTextOfWords(const uint16_t* words) {
    uint8_t bytes[6];
    for (int i = 0; i < 3; ++i) {
        bytes[2 * i] = static_cast<uint8_t>(words[i]);
        bytes[2 * i + 1] = static_cast<uint8_t>(words[i] >> 8);
    }
    return MacText(bytes);
}

std::string PdaMacText(const Pda& pda) {
    const uint16_t* record = pda.Find(kPdaMacAddress);
    if (record == nullptr || record[0] != 4) return "";
    return MacTextOfWords(record + 2);
}

std::string PdaCharacterText(const Pda& pda, uint16_t code) {
    const uint16_t* record = pda.Find(code);
    if (record == nullptr || record[0] <= 2) return "";
    std::string text;
    const uint16_t dataWords = static_cast<uint16_t>(record[0] - 1);
    for (uint16_t i = 0; i < dataWords; ++i) {
        const uint8_t pair[2] = {static_cast<uint8_t>(record[2 + i]), static_cast<uint8_t>(record[2 + i] >> 8)};
        for (uint8_t c : pair) {
            if (c == 0) return text;
            text += (c >= 0x20 && c <= 0x7E) ? static_cast<char>(c) : ' ';
        }
    }
    return text;
}

}  // namespace meru
