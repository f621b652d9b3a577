#include "CardRecords.h"

#include <string>

#include "CardProtocol.h"
#include "FlashIdentity.h"

namespace sim {

namespace {

std::vector<uint16_t> IdentityData(const IdentityBlock& block) {
    const std::array<uint16_t, 8> words = block.Words();
    return {words.begin(), words.begin() + 4};
}

// Role 0 (supplier), interface id, variant, bottom, top.
std::vector<uint16_t> SupplierRangeData(const IdentityBlock& block) {
    const std::array<uint16_t, 8> words = block.Words();
    return {0, words[4], words[5], words[6], words[7]};
}

}  // namespace

bool IsComputedRecord(uint16_t rid) {
    return rid == kRidPrimaryIdentity || rid == kRidStationIdentity || rid == kRidPrimarySupplierRange ||
           rid == kRidStationSupplierRange || rid == kRidMacIdentity || rid == kRidFirmwareFileNames;
}

std::vector<uint16_t> TextRecordData(const std::string& text) {
    const size_t lengthWord = (text.size() + 4 + 1) / 2;
    std::vector<uint16_t> words(lengthWord - 1, 0);
    for (size_t i = 0; i < text.size(); ++i) {
        const uint16_t byte = static_cast<uint8_t>(text[i]);
        words[i / 2] = static_cast<uint16_t>(words[i / 2] | (i % 2 == 0 ? byte : byte << 8));
    }
    return words;
}

std::optional<std::vector<uint16_t>> RecordData(const CardState& card, uint16_t rid) {
    if (card.faults.missingRids.count(rid) != 0) return std::nullopt;
    switch (rid) {
        case kRidPrimaryIdentity:
            return IdentityData(ReportedFirmware(card, Component::kPrimary));
        case kRidStationIdentity:
            return IdentityData(ReportedFirmware(card, Component::kStation));
        case kRidPrimarySupplierRange:
            return SupplierRangeData(ReportedFirmware(card, Component::kPrimary));
        case kRidStationSupplierRange:
            return SupplierRangeData(ReportedFirmware(card, Component::kStation));
        case kRidMacIdentity:
            return std::vector<uint16_t>{kMacComponentId, 1, card.macType, 0};
        case kRidFirmwareFileNames:
            return TextRecordData(ReportedFirmware(card, Component::kPrimary).fileName + " " +
                                  ReportedFirmware(card, Component::kStation).fileName);
        default:
            break;
    }
    auto it = card.records.find(rid);
    if (it == card.records.end()) return std::nullopt;
    return it->second;
}

uint32_t ReportedDriverVersion(const CardState& card) {
    return card.driverVersion | (card.faults.driverTooOld ? 0x80000000u : 0u);
}

}  // namespace sim
