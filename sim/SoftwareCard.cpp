#include "SoftwareCard.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "CardProtocol.h"
#include "CardRecords.h"
#include "TextNumbers.h"

namespace sim {

namespace {

struct OidEntry {
    uint32_t oid;
    uint32_t type;
};

// Every request the driver knows, with its request type.
constexpr OidEntry kKnownOids[] = {
    {kOidReadRid, kQuery},          {kOidDriverCheck, kQuery},     {kOidEnableAux, kSet},
    {kOidAuxRead, kQuery},          {kOidBlockProtocols, kSet},    {kOidUnblockProtocols, kSet},
    {kOidAuxWrite, kSet},           {kOidDownload, kSet},          {kOidConclude, kSet},
    {kOidPermanentAddress, kQuery}, {kOidVendorDriverVersion, kQuery}, {kOidVendorDescription, kQuery},
};

const OidEntry* FindOid(uint32_t oid) {
    for (const OidEntry& entry : kKnownOids) {
        if (entry.oid == oid) return &entry;
    }
    return nullptr;
}

// A fixed-size buffer must have exactly its size.
uint32_t CheckExactLength(uint32_t length, uint32_t expected) {
    if (length < expected) return kStatusBufferTooShort;
    if (length > expected) return kStatusInvalidLength;
    return kStatusSuccess;
}

void PutLittleEndian(uint8_t* at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

uint32_t SoftwareCard::HandleRequest(uint32_t type, uint32_t oid, void* buffer, uint32_t length) {
    uint32_t status;
    if (const std::optional<uint32_t> powerLost = state_.faults.PowerLostStatus()) {
        status = *powerLost;
    } else if (const std::optional<uint32_t> refused = state_.faults.TakeRefusal(oid)) {
        Fired("refuse");
        status = *refused;
    } else if (buffer == nullptr && length != 0) {
        status = kStatusInvalidData;
    } else {
        status = Dispatch(type, oid, static_cast<uint8_t*>(buffer), length);
    }
    state_.counters.Count(oid, length, status);
    return status;
}

bool SoftwareCard::AddFault(const std::string& description, std::string& error) {
    return ParseFault(SplitWords(description), state_.faults, error);
}

void SoftwareCard::Reinsert() {
    if (state_.faults.PowerLostStatus()) state_.faults.powerLoss.reset();
    state_.session = SessionState();
}

uint32_t SoftwareCard::Dispatch(uint32_t type, uint32_t oid, uint8_t* buffer, uint32_t length) {
    const OidEntry* entry = FindOid(oid);
    if (entry == nullptr) return kStatusInvalidOid;
    if (entry->type != type) return kStatusNotSupported;
    switch (oid) {
        case kOidReadRid:
            return ReadRid(buffer, length);
        case kOidAuxRead:
            return AuxRead(buffer, length);
        case kOidAuxWrite:
            return AuxWrite(buffer, length);
        case kOidDownload:
            return Download(buffer, length);
        case kOidEnableAux:
        case kOidBlockProtocols:
        case kOidUnblockProtocols:
        case kOidConclude:
            return Command(oid, length);
        default:
            return QueryFixed(oid, buffer, length);
    }
}

uint32_t SoftwareCard::ReadRid(uint8_t* buffer, uint32_t length) {
    if (const uint32_t status = CheckExactLength(length, kRidBufferBytes)) return status;
    const uint16_t rid = static_cast<uint16_t>(buffer[2] | (buffer[3] << 8));
    const std::optional<std::vector<uint16_t>> data = RecordData(state_, rid);
    if (state_.faults.missingRids.count(rid) != 0) Fired("rid-missing");
    if (!data) return kStatusFailure;
    if (4 + 2 * data->size() > kRidBufferBytes) return kStatusBufferTooShort;
    PutLittleEndian(buffer, static_cast<uint32_t>(data->size() + 1), 2);
    for (size_t i = 0; i < data->size(); ++i) PutLittleEndian(buffer + 4 + 2 * i, (*data)[i], 2);
    return kStatusSuccess;
}

uint32_t SoftwareCard::Command(uint32_t oid, uint32_t length) {
    if (length != 0) return kStatusInvalidLength;
    SessionState& session = state_.session;
    switch (oid) {
        case kOidEnableAux:
            session.auxEnabled = true;
            break;
        case kOidBlockProtocols:
            session.protocolsBlocked = true;
            break;
        case kOidUnblockProtocols:
            session.protocolsBlocked = false;
            session.preparationStep = 0;
            break;
        case kOidConclude:
            session = SessionState();
            break;
        default:
            return kStatusInvalidOid;
    }
    return kStatusSuccess;
}

uint32_t SoftwareCard::QueryFixed(uint32_t oid, uint8_t* buffer, uint32_t length) {
    switch (oid) {
        case kOidDriverCheck:
            return CheckExactLength(length, kDriverCheckBytes);
        case kOidPermanentAddress:
            if (const uint32_t status = CheckExactLength(length, kPermanentAddressBytes)) return status;
            std::memcpy(buffer, state_.permanentAddress.data(), kPermanentAddressBytes);
            return kStatusSuccess;
        case kOidVendorDriverVersion:
            if (const uint32_t status = CheckExactLength(length, kDriverVersionBytes)) return status;
            if (state_.faults.driverTooOld) Fired("driver-too-old");
            PutLittleEndian(buffer, ReportedDriverVersion(state_), 4);
            return kStatusSuccess;
        case kOidVendorDescription: {
            if (const uint32_t status = CheckExactLength(length, kVendorDescriptionBytes)) return status;
            std::memset(buffer, 0, kVendorDescriptionBytes);
            const size_t count = std::min<size_t>(state_.vendorDescription.size(), kVendorDescriptionBytes - 1);
            std::memcpy(buffer, state_.vendorDescription.data(), count);
            return kStatusSuccess;
        }
        default:
            return kStatusInvalidOid;
    }
}

}  // namespace sim
