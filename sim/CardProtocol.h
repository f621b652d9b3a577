#pragma once

#include <cstdint>

namespace sim {

// The requests the VELOX miniport driver answers, and the NDIS statuses the
// software card gives back.

constexpr uint32_t kQuery = 0;
constexpr uint32_t kSet = 1;

constexpr uint32_t kOidReadRid = 0xFF010181;
constexpr uint32_t kOidDriverCheck = 0xFF010183;
constexpr uint32_t kOidEnableAux = 0xFF010184;
constexpr uint32_t kOidAuxRead = 0xFF010186;
constexpr uint32_t kOidBlockProtocols = 0xFF010187;
constexpr uint32_t kOidUnblockProtocols = 0xFF010188;
constexpr uint32_t kOidAuxWrite = 0xFF01018B;
constexpr uint32_t kOidDownload = 0xFF01018C;
constexpr uint32_t kOidConclude = 0xFF020198;
constexpr uint32_t kOidPermanentAddress = 0x01010101;
constexpr uint32_t kOidVendorDriverVersion = 0x00010116;
constexpr uint32_t kOidVendorDescription = 0x0001010D;

constexpr uint32_t kStatusSuccess = 0;
constexpr uint32_t kStatusFailure = 0xC0000001;
constexpr uint32_t kStatusInvalidHandle = 0xC0000008;
constexpr uint32_t kStatusNotSupported = 0xC00000BB;
constexpr uint32_t kStatusInvalidLength = 0xC0010014;
constexpr uint32_t kStatusInvalidData = 0xC0010015;
constexpr uint32_t kStatusBufferTooShort = 0xC0010016;
constexpr uint32_t kStatusInvalidOid = 0xC0010017;
constexpr uint32_t kStatusAdapterRemoved = 0xC0010018;  // a card without power

// Record numbers.
constexpr uint16_t kRidPrimaryIdentity = 0xFD02;
constexpr uint16_t kRidPrimarySupplierRange = 0xFD03;
constexpr uint16_t kRidMacIdentity = 0xFD04;
constexpr uint16_t kRidModemSupplierRange = 0xFD0C;
constexpr uint16_t kRidControllerSupplierRange = 0xFD0D;
constexpr uint16_t kRidStationIdentity = 0xFD20;
constexpr uint16_t kRidStationSupplierRange = 0xFD21;
constexpr uint16_t kRidModemActorRange = 0xFD22;
constexpr uint16_t kRidControllerActorRange = 0xFD23;
constexpr uint16_t kRidFirmwareFileNames = 0xFFFF;

// Buffer sizes of the fixed-size requests.
constexpr uint32_t kRidBufferBytes = 504;
constexpr uint32_t kDriverCheckBytes = 8;
constexpr uint32_t kPermanentAddressBytes = 6;
constexpr uint32_t kDriverVersionBytes = 4;
constexpr uint32_t kVendorDescriptionBytes = 260;

// Aux records: address (4 bytes), count (2 bytes), data.
constexpr uint32_t kAuxHeaderBytes = 6;
constexpr uint32_t kMaxAuxDataBytes = 2042;
constexpr uint32_t kAuxFlagBit31 = 0x80000000u;
constexpr uint32_t kDownloadBoundary = 0x10000;

// The preparation write: two bytes 0x00, 0xE1.
constexpr uint8_t kPreparationByte0 = 0x00;
constexpr uint8_t kPreparationByte1 = 0xE1;

}  // namespace sim
