#pragma once

#include <cstdint>

namespace meru {

// Every request the updater sends to the card: vendor OIDs of the VELOX
// miniport driver beside the standard NDIS ones.
constexpr uint32_t OID_CARD_READ_RID = 0xFF010181;
constexpr uint32_t OID_CARD_DRIVER_CHECK = 0xFF010183;
constexpr uint32_t OID_CARD_ENABLE_AUX = 0xFF010184;
constexpr uint32_t OID_CARD_AUX_READ = 0xFF010186;
constexpr uint32_t OID_CARD_BLOCK_PROTOCOLS = 0xFF010187;
constexpr uint32_t OID_CARD_UNBLOCK_PROTOCOLS = 0xFF010188;
constexpr uint32_t OID_CARD_AUX_WRITE = 0xFF01018B;
constexpr uint32_t OID_CARD_DOWNLOAD = 0xFF01018C;
constexpr uint32_t OID_CARD_CONCLUDE = 0xFF020198;
constexpr uint32_t OID_802_3_PERMANENT_ADDRESS = 0x01010101;
constexpr uint32_t OID_GEN_VENDOR_DRIVER_VERSION = 0x00010116;
constexpr uint32_t OID_GEN_VENDOR_DESCRIPTION = 0x0001010D;

// Record numbers read with OID_CARD_READ_RID.
constexpr uint16_t RID_PRIMARY_IDENTITY = 0xFD02;
constexpr uint16_t RID_PRIMARY_SUPPLIER_RANGE = 0xFD03;
constexpr uint16_t RID_MAC_IDENTITY = 0xFD04;
constexpr uint16_t RID_MODEM_SUPPLIER_RANGE = 0xFD0C;
constexpr uint16_t RID_CONTROLLER_SUPPLIER_RANGE = 0xFD0D;
constexpr uint16_t RID_STATION_IDENTITY = 0xFD20;
constexpr uint16_t RID_STATION_SUPPLIER_RANGE = 0xFD21;
constexpr uint16_t RID_MODEM_ACTOR_RANGE = 0xFD22;
constexpr uint16_t RID_CONTROLLER_ACTOR_RANGE = 0xFD23;
constexpr uint16_t RID_FIRMWARE_FILE_NAMES = 0xFFFF;

// Request lengths fixed by the driver's interface.
constexpr uint32_t kDriverCheckLength = 8;
constexpr uint32_t kPermanentAddressLength = 6;
constexpr uint32_t kDriverVersionLength = 4;
constexpr uint32_t kVendorDescriptionLength = 260;

}  // namespace meru
