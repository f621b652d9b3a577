#include "CardReport.h"

#include <sstream>

#include "sim/CardLayout.h"
#include "sim/CardProtocol.h"
#include "sim/CardRecords.h"
#include "sim/FlashIdentity.h"
#include "sim/PdaArea.h"
#include "sim/TextNumbers.h"

namespace sim {

namespace {

std::string Version(const FactoryFirmware& firmware) {
    return std::to_string(firmware.major) + "." + std::to_string(firmware.minor) + "." +
           std::to_string(firmware.variant);
}

void DescribeFirmware(std::ostringstream& out, const CardState& card, const char* name, Component component) {
    const FactoryFirmware reported = ReportedFirmware(card, component);
    const CardLayout layout = LayoutFor(card.macType);
    const uint32_t base = component == Component::kPrimary ? layout.primaryBase : layout.stationBase;
    const bool fromFlash = ReadIdentityBlock(card, base).has_value();
    out << name << ": " << Version(reported) << " (component " << reported.componentId << ", "
        << (fromFlash ? "identity block in flash" : "factory identity") << "), supplier interface "
        << reported.supplierInterface << " variant " << reported.supplierVariant << " range "
        << reported.supplierBottom << ".." << reported.supplierTop << ", file " << reported.fileName << "\n";
}

void DescribePda(std::ostringstream& out, const CardState& card) {
    const std::vector<uint16_t> words = ReadPdaWords(card);
    const PdaLayout pda = WalkPda(words);
    out << "PDA: " << pda.records.size() << " records, ";
    if (!pda.endIndex) {
        out << "no end record\n";
    } else {
        out << "CRC stored " << HexText(pda.storedCrc) << ", computed " << HexText(pda.computedCrc)
            << (pda.CrcMatches() ? " (good)" : " (BAD)") << "\n";
    }
    const std::optional<uint16_t> platform = PdaFirstDataWord(words, 0x0008);
    out << "  platform: " << (platform ? HexText(*platform) : std::string("none")) << "\n";
    for (const PdaRecordSpan& record : pda.records) {
        out << "  " << HexText(record.code) << " (length " << record.length << "):";
        for (size_t i = 2; i <= record.length && i < 10; ++i) out << ' ' << HexText(words[record.index + i]);
        if (record.length >= 10) out << " ...";
        out << "\n";
    }
}

}  // namespace

std::string OidName(uint32_t oid) {
    switch (oid) {
        case kOidReadRid: return "OID_CARD_READ_RID";
        case kOidDriverCheck: return "OID_CARD_DRIVER_CHECK";
        case kOidEnableAux: return "OID_CARD_ENABLE_AUX";
        case kOidAuxRead: return "OID_CARD_AUX_READ";
        case kOidBlockProtocols: return "OID_CARD_BLOCK_PROTOCOLS";
        case kOidUnblockProtocols: return "OID_CARD_UNBLOCK_PROTOCOLS";
        case kOidAuxWrite: return "OID_CARD_AUX_WRITE";
        case kOidDownload: return "OID_CARD_DOWNLOAD";
        case kOidConclude: return "OID_CARD_CONCLUDE";
        case kOidPermanentAddress: return "OID_802_3_PERMANENT_ADDRESS";
        case kOidVendorDriverVersion: return "OID_GEN_VENDOR_DRIVER_VERSION";
        case kOidVendorDescription: return "OID_GEN_VENDOR_DESCRIPTION";
        default: return HexText(oid, 8);
    }
}

std::string DescribeCard(const CardState& card) {
    std::ostringstream out;
    const CardLayout layout = LayoutFor(card.macType);
    out << "MAC type: " << card.macType;
    if (layout.known) {
        out << (card.macType == 1 ? " (MX100)" : " (MX200)") << ", flash " << layout.flashBytes / 0x100000
            << " MiB, PDA " << HexText(layout.pdaAddress, 6) << ", CIS " << HexText(layout.cisAddress, 6)
            << ", dump " << HexText(layout.dumpAddress, 6) << "\n";
    } else {
        out << " (unknown to the updater)\n";
    }
    out << "device: " << (card.deviceName.empty() ? "(any VELOX adapter)" : card.deviceName) << "\n";
    out << "permanent address: " << MacAddressText(card.permanentAddress) << "\n";
    const uint32_t version = ReportedDriverVersion(card);
    out << "driver version: " << HexText(version, 8) << " (" << (version >> 16) << "." << ((version >> 8) & 0xFF)
        << "." << (version & 0xFF) << ")\n";
    out << "vendor description: " << card.vendorDescription << "\n";
    out << "library last error: " << HexText(card.libraryLastError, 1) << "\n";
    DescribeFirmware(out, card, "primary", Component::kPrimary);
    DescribeFirmware(out, card, "station", Component::kStation);
    DescribePda(out, card);
    out << "stored records:";
    for (const auto& entry : card.records) out << ' ' << HexText(entry.first);
    out << "\n";
    out << "session: aux " << (card.session.auxEnabled ? "enabled" : "disabled") << ", protocols "
        << (card.session.protocolsBlocked ? "blocked" : "running") << ", preparation step "
        << card.session.preparationStep << "\n";
    const std::vector<std::string> faults = DescribeFaults(card.faults);
    out << "faults:" << (faults.empty() ? " none" : "") << "\n";
    for (const std::string& fault : faults) out << "  " << fault << "\n";
    out << "faults fired:" << (card.faultsFired.empty() ? " none" : "");
    for (const auto& [kind, count] : card.faultsFired) out << ' ' << kind << ' ' << count;
    out << "\n";
    out << "flash: " << card.flash.PageCount() << " of " << card.flash.SizeBytes() / SparseFlash::kPageBytes
        << " 64 KiB pages written\n";
    return out.str();
}

std::string DescribeCounters(const CardState& card) {
    std::ostringstream out;
    for (const auto& [oid, traffic] : card.counters.All()) {
        out << HexText(oid, 8) << ' ' << OidName(oid) << " requests " << traffic.requests << " failures "
            << traffic.failures << " bytes " << traffic.bytes << "\n";
    }
    for (const auto& [kind, count] : card.faultsFired) out << "fault " << kind << " fired " << count << "\n";
    return out.str();
}

std::string HexDump(uint32_t address, const std::vector<uint8_t>& bytes) {
    std::ostringstream out;
    for (size_t row = 0; row < bytes.size(); row += 16) {
        out << HexText(static_cast<uint32_t>(address + row), 6) << ':';
        std::string hex;
        for (size_t i = row; i < bytes.size() && i < row + 16; ++i) {
            hex += ' ';
            AppendHexBytes(hex, &bytes[i], 1);
        }
        out << hex << "\n";
    }
    return out.str();
}

}  // namespace sim
