#include "FactoryCard.h"

#include "CardLayout.h"
#include "CardMemory.h"
#include "CardProtocol.h"
#include "FlashIdentity.h"
#include "PdaArea.h"

namespace sim {

FactoryFirmware FactoryOptions::DefaultPrimary() {
    return {{kPrimaryComponentId, 1, 1, 1, kPrimaryInterfaceId, 1, 1, 2}, "PK010101.HEX"};
}

FactoryFirmware FactoryOptions::DefaultStation() {
    return {{kStationComponentId, 1, 1, 3, kStationInterfaceId, 1, 1, 1}, "SK010301.HEX"};
}

namespace {

// Two characters per word, the first in the low byte, zero-padded to `words`.
std::vector<uint16_t> TextWords(const std::string& text, size_t words) {
    std::vector<uint16_t> result(words, 0);
    for (size_t i = 0; i < text.size() && i / 2 < words; ++i) {
        const uint16_t byte = static_cast<uint8_t>(text[i]);
        result[i / 2] = static_cast<uint16_t>(result[i / 2] | (i % 2 == 0 ? byte : byte << 8));
    }
    return result;
}

void AddRecord(std::vector<uint16_t>& words, uint16_t code, const std::vector<uint16_t>& data) {
    words.push_back(static_cast<uint16_t>(data.size() + 1));
    words.push_back(code);
    words.insert(words.end(), data.begin(), data.end());
}

// A calibration table of `count` words: pairs rising by channel.
std::vector<uint16_t> CalibrationTable(size_t count, uint16_t start, uint16_t step) {
    std::vector<uint16_t> table(count);
    for (size_t i = 0; i < count; ++i) table[i] = static_cast<uint16_t>(start + step * (i / 2) + (i % 2) * 0x0100);
    return table;
}

}  // namespace

std::vector<uint16_t> FactoryPdaWords(uint16_t platformId, const FactoryOptions& options) {
    std::vector<uint16_t> words;
    AddRecord(words, 0x0001, TextWords("VELOX WLAN PC Card", 9));
    AddRecord(words, 0x0002, {0x0003});
    AddRecord(words, 0x0003, TextWords(options.serialNumber, 6));
    AddRecord(words, 0x0004, {0x0D07, 0x07D1});  // manufacture date
    if (options.platformRecord) AddRecord(words, 0x0008, {platformId, 0x0001, 0x0001, 0x0000});
    const auto& mac = options.macAddress;
    AddRecord(words, 0x0101, {static_cast<uint16_t>(mac[0] | (mac[1] << 8)), static_cast<uint16_t>(mac[2] | (mac[3] << 8)),
                              static_cast<uint16_t>(mac[4] | (mac[5] << 8))});
    AddRecord(words, 0x0103, {0x0001, options.domainCode, 0x0000, 0x0000, 0x0000, 0x0000});
    AddRecord(words, 0x0104, {0x07FF});  // allowed channels
    AddRecord(words, 0x0200, {0x0028, 0x0030});
    AddRecord(words, 0x0204, {0x0001});
    AddRecord(words, 0x0900, CalibrationTable(30, 0x0040, 3));
    AddRecord(words, 0x0901, CalibrationTable(33, 0x0060, 2));
    CloseWithCrc(words);
    return words;
}

std::vector<uint8_t> FactoryCis(uint16_t macType, const FactoryOptions& options) {
    std::vector<uint8_t> cis;
    auto tuple = [&cis](uint8_t code, const std::vector<uint8_t>& body) {
        cis.push_back(code);
        cis.push_back(static_cast<uint8_t>(body.size()));
        cis.insert(cis.end(), body.begin(), body.end());
    };
    tuple(0x01, {0x03, 0x00, 0x00, 0xFF});  // CISTPL_DEVICE: no common memory
    std::vector<uint8_t> version = {0x04, 0x01};
    for (const char* text : {"VELOX", "WLAN PC Card", macType == 1 ? "MX100" : "MX200", options.serialNumber.c_str()}) {
        for (const char* c = text; *c != '\0'; ++c) version.push_back(static_cast<uint8_t>(*c));
        version.push_back(0x00);
    }
    version.push_back(0xFF);
    tuple(0x15, version);                              // CISTPL_VERS_1
    tuple(0x20, {0x56, 0x01, 0x02, 0x00});             // CISTPL_MANFID
    tuple(0x21, {0x06, 0x00});                         // CISTPL_FUNCID: network adapter
    tuple(0x1A, {0x01, 0x03, 0xE0, 0x03, 0x01});       // CISTPL_CONFIG
    tuple(0x1B, {0xC1, 0x01, 0x19, 0x76, 0xC5, 0x4B, 0xD5, 0x19, 0x36, 0x36, 0x05, 0x46,
                 0x7F, 0xFF, 0xFF});                   // CISTPL_CFTABLE_ENTRY
    cis.push_back(0xFF);                               // CISTPL_END
    cis.resize(kCisBytes, 0xFF);
    return cis;
}

CardState MakeFactoryCard(uint16_t macType, uint16_t platformId, const FactoryOptions& options) {
    CardState card;
    SetMacType(card, macType);
    card.deviceName = options.deviceName;
    card.permanentAddress = options.macAddress;
    card.driverVersion = options.driverVersion;
    card.vendorDescription = options.vendorDescription;
    card.primary = options.primary;
    card.station = options.station;
    card.records[kRidModemSupplierRange] = {0, 1, 1, 1, 1};
    card.records[kRidControllerSupplierRange] = {0, 2, 1, 1, 1};
    card.records[kRidModemActorRange] = {1, 1, 1, 1, 1};
    card.records[kRidControllerActorRange] = {1, 2, 1, 1, 1};
    WritePdaWords(card, FactoryPdaWords(platformId, options));
    WriteCardBytes(card, LayoutFor(macType).cisAddress, FactoryCis(macType, options));
    return card;
}

}  // namespace sim
