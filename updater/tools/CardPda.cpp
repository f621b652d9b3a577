#include "tools/CardPda.h"

#include <algorithm>

#include "app/PdaTexts.h"
#include "image/Pda.h"

namespace meru {

std::string PermanentAddressText(AdapterHandle& adapter) {
    uint8_t mac[6] = {};
    return adapter.readPermanentAddress(mac) ? MacText(mac) : std::string();
}

RawPda ReadRawPda(AdapterHandle& adapter, uint16_t (&words)[AdapterHandle::kPdaWords], Pda& list) {
    constexpr uint16_t kWords = AdapterHandle::kPdaWords;
    bool read = adapter.readPdaWords(adapter.pdaAddress(), words);
    list.Clear();
    if (!read || list.ParseWords(words, kWords) == 0) {
        uint16_t flagged[kWords];
        Pda second;
        if (adapter.readPdaWords(adapter.pdaAddress() | AdapterHandle::kAuxAddressFlag, flagged) &&
            (!read || second.ParseWords(flagged, kWords) != 0)) {
            std::copy(flagged, flagged + kWords, words);
            read = true;
        }
    }
    list.Clear();
    if (!read) return RawPda::kUnreadable;
    if (list.ParseWords(words, kWords) != 0 && list.SawEndRecord() && list.ReadCrc() == list.StoredCrc()) {
        return RawPda::kValid;
    }
    list.Clear();
    return RawPda::kInvalid;
}

}  // namespace meru
