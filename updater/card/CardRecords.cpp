// Record reads, aux-port reads and what the updater learns from them about
// the card: layout, firmware identities, file names, MAC address, PDA.
#include <algorithm>
#include <cstring>

#include "card/AdapterHandle.h"
#include "card/CardRequests.h"
#include "card/PdaArea.h"
#include "image/FirmwareIdentity.h"
#include "image/Pda.h"

namespace meru {

namespace {

// Bits 17 and 18 of an aux-port address, cleared on MX100 reads.
constexpr uint32_t kMx100ReadMask = 0xFFF9FFFF;
// Marker preset into the data area of every aux read.
constexpr uint8_t kReadMarker[2] = {0xDE, 0xAD};

struct CardLayout {
    uint32_t pda;
    uint32_t cis;
    uint32_t dump;
};
constexpr CardLayout kMx100Layout = {0x3F0000, 0x3EFE00, 0x3E0000};
constexpr CardLayout kMx200Layout = {0x7F0000, 0x7EFE00, 0x7E0000};

// The firmware file-name record holds two names in 26 text bytes.
constexpr int kFileNameTextBytes = 26;

// The first two space-separated words of `text`.
void SplitTwoWords(const std::string& text, std::string& first, std::string& second) {
    std::string words[2];
    size_t position = 0;
    for (std::string& word : words) {
        position = text.find_first_not_of(' ', position);
        if (position == std::string::npos) break;
        const size_t end = text.find(' ', position);
        word = text.substr(position, end == std::string::npos ? std::string::npos : end - position);
        position = end;
        if (position == std::string::npos) break;
    }
    first = words[0];
    second = words[1];
}

}  // namespace

bool AdapterHandle::ReadRecord(RidRecord& record, uint16_t rid) {
    if (!IsOpen()) return false;
    record.SetLength(0);
    record.SetRid(rid);
    const uint32_t status = Request(kRequestQuery, OID_CARD_READ_RID, record.bytes, RidRecord::kSize);
    return status == kNdisStatusSuccess && record.Length() != 0;
}

bool AdapterHandle::AuxRead(AuxRecord& record) {
    if (!IsOpen()) return false;
    const uint32_t address = record.Address();
    if (macType_ == kMacTypeMx100) record.SetAddress(address & kMx100ReadMask);
    EnableAux();
    if (record.Count() > AuxRecord::kMaxData) record.SetCount(AuxRecord::kMaxData);
    record.Data()[0] = kReadMarker[0];
    record.Data()[1] = kReadMarker[1];
    const uint32_t status = Request(kRequestQuery, OID_CARD_AUX_READ, record.bytes, record.RequestLength());
    if (macType_ == kMacTypeMx100) record.SetAddress(address);
    return status == kNdisStatusSuccess;
}

bool AdapterHandle::ReadAuxPort(uint8_t* destination, uint32_t address, uint16_t count) {
    if (count > AuxRecord::kMaxData) return false;
    AuxRecord record;
    record.SetAddress(address);
    record.SetCount(count);
    if (!AuxRead(record)) {
        Notify("Could not read from Aux Port", nullptr, kBoxOk);
        return false;
    }
    if (count > 0) std::memcpy(destination, record.Data(), count);
    return true;
}

void AdapterHandle::IdentifyCard() {
    if (!IsOpen()) return;  // the layout found last stays
    RidRecord record;
    macType_ = ReadRecord(record, RID_MAC_IDENTITY) ? record.Word(2) : 0;
    const CardLayout* layout = nullptr;
    if (macType_ == kMacTypeMx100) layout = &kMx100Layout;
    if (macType_ == kMacTypeMx200) layout = &kMx200Layout;
    if (layout == nullptr) {
        macType_ = kMacTypeUnknown;
        pdaAddress_ = cisAddress_ = dumpAddress_ = 0;
        return;
    }
    pdaAddress_ = layout->pda;
    cisAddress_ = layout->cis;
    dumpAddress_ = layout->dump;
}

bool AdapterHandle::ReadFirmwareIdentity(uint16_t rid, FirmwareIdentity& identity) {
    RidRecord record;
    if (!ReadRecord(record, rid)) return false;
    identity.present = true;
    identity.componentId = record.Word(0);
    identity.variant = record.Word(1);
    identity.major = record.Word(2);
    identity.minor = record.Word(3);
    return true;
}

void AdapterHandle::ReadFirmwareVersions(uint32_t index, std::string& primary, std::string& station) {
    const bool wasOpen = IsOpen();
    primary.clear();
    station.clear();
    if (!Open(index, false)) return;
    FirmwareIdentity identity;
    if (ReadFirmwareIdentity(RID_PRIMARY_IDENTITY, identity)) primary = identity.Text();
    if (ReadFirmwareIdentity(RID_STATION_IDENTITY, identity)) station = identity.Text();
    if (!wasOpen) Close();
}

bool AdapterHandle::GetVersionText(char* destination, size_t size, uint32_t index) {
    if (destination != nullptr && size > 0) destination[0] = '\0';
    const bool wasOpen = IsOpen();
    if (!Open(index, false)) return false;

    // After a failed record read the adapter stays open; the callers close it.
    std::string text;
    bool result = false;
    FirmwareIdentity identity;
    if (!ReadFirmwareIdentity(RID_PRIMARY_IDENTITY, identity)) {
        text = "(Primary RID read failure)";
    } else {
        text = "Primary: " + identity.Text();
        if (!ReadFirmwareIdentity(RID_STATION_IDENTITY, identity)) {
            text += " (Station RID read failure)";
        } else {
            text += "   Station: " + identity.Text();
            if (!wasOpen) Close();
            result = true;
        }
    }
    if (destination != nullptr && size > 0) {
        const size_t kept = text.size() < size ? text.size() : size - 1;
        std::memcpy(destination, text.data(), kept);
        destination[kept] = '\0';
    }
    return result;
}

bool AdapterHandle::ReadFileNameText(std::string& text) {
    RidRecord record;
    if (!ReadRecord(record, RID_FIRMWARE_FILE_NAMES)) return false;
    const int textBytes = 2 * static_cast<int>(record.Length()) - 4;
    text.assign(kFileNameTextBytes, ' ');
    for (int i = 0; i < kFileNameTextBytes; ++i) {
        const uint8_t byte = record.Data()[i];
        if (byte >= 0x20 && byte <= 0x7E && i < textBytes) text[i] = static_cast<char>(byte);
    }
    return true;
}

bool AdapterHandle::ReadFileNames(std::string& primary, std::string& station) {
    std::string text;
    if (!ReadFileNameText(text)) return false;
    SplitTwoWords(text, primary, station);
    return true;
}

bool AdapterHandle::ReadPermanentAddress(uint8_t (&destination)[6]) {
    return Request(kRequestQuery, OID_802_3_PERMANENT_ADDRESS, destination, kPermanentAddressLength) ==
           kNdisStatusSuccess;
}

bool AdapterHandle::ReadPdaWords(uint32_t address, uint16_t (&words)[kPdaWords]) {
    AuxRecord record;
    record.SetAddress(address);
    record.SetCount(kPdaBytes);
    if (!AuxRead(record)) return false;
    for (size_t i = 0; i < kPdaWords; ++i) {
        words[i] = static_cast<uint16_t>(record.Data()[2 * i] | (record.Data()[2 * i + 1] << 8));
    }
    return true;
}

bool AdapterHandle::ReadPda(Pda& pda) {
    if (!IsOpen()) return false;
    uint16_t words[kPdaWords];
    if (!ReadPdaWords(pdaAddress_, words)) return false;
    pda.Clear();
    if (pda.ParseWords(words, kPdaWords) == 0) {
        // Second attempt through the other path of the aux port. A failed
        // read would parse as nothing (its data starts with the read marker).
        const bool read = ReadPdaWords(pdaAddress_ | kAuxAddressFlag, words);
        pda.Clear();
        if (!read || pda.ParseWords(words, kPdaWords) == 0) {
            pda.Clear();
            return false;
        }
    }
    if (pda.ReadCrc() == pda.StoredCrc()) return true;
    pda.Clear();
    return false;
}

bool AdapterHandle::ReadPdaAreaOnce(uint16_t (&words)[kPdaWords]) {
    bool read = ReadPdaWords(pdaAddress_, words);
    Pda list;
    if (!read || list.ParseWords(words, kPdaWords) == 0) {
        uint16_t flagged[kPdaWords];
        Pda second;
        if (ReadPdaWords(pdaAddress_ | kAuxAddressFlag, flagged) &&
            (!read || second.ParseWords(flagged, kPdaWords) != 0)) {
            std::copy(flagged, flagged + kPdaWords, words);
            read = true;
        }
    }
    return read;
}

void AdapterHandle::ReadPdaArea(PdaArea& area) {
    area.list.Clear();
    area.state = PdaArea::State::kUnreadable;
    uint16_t first[kPdaWords];
    uint16_t second[kPdaWords];
    if (!IsOpen() || !ReadPdaAreaOnce(first) || !ReadPdaAreaOnce(second)) return;
    if (!std::equal(first, first + kPdaWords, second)) {
        area.state = PdaArea::State::kUnsteady;
        return;
    }
    std::copy(first, first + kPdaWords, area.words.begin());
    Pda& list = area.list;
    if (list.ParseWords(first, kPdaWords) != 0 && list.SawEndRecord() && list.ReadCrc() == list.StoredCrc()) {
        area.state = PdaArea::State::kValid;
        return;
    }
    list.Clear();
    area.state = PdaArea::State::kInvalid;
}

}  // namespace meru
