#include "tools/PermanentAddress.h"

#include "app/PdaTexts.h"

namespace meru {

std::string PermanentAddressText(AdapterHandle& adapter) {
    uint8_t mac[6] = {};
    return adapter.ReadPermanentAddress(mac) ? MacText(mac) : std::string();
}

}  // namespace meru
