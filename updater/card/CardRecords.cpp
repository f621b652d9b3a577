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

bool AdapterHandle::readRecord(RidRecord& record, uint16_t rid) {
    if (!isOpen()) return false;
    record.setLength(0);
    record.setRid(rid);
    const uint32_t status = request(kRequestQuery, OID_CARD_READ_RID, record.bytes, RidRecord::kSize);
    return status == kNdisStatusSuccess && record.length() != 0;
}

bool AdapterHandle::auxRead(AuxRecord& record) {
    if (!isOpen()) return false;
    const uint32_t address = record.address();
    if (macType_ == kMacTypeMx100) record.setAddress(address & kMx100ReadMask);
    enableAux();
    if (record.count() > AuxRecord::kMaxData) record.setCount(AuxRecord::kMaxData);
    record.data()[0] = kReadMarker[0];
    record.data()[1] = kReadMarker[1];
    const uint32_t status = request(kRequestQuery, OID_CARD_AUX_READ, record.bytes, record.requestLength());
    if (macType_ == kMacTypeMx100) record.setAddress(address);
    return status == kNdisStatusSuccess;
}

bool AdapterHandle::readAuxPort(uint8_t* destination, uint32_t address, uint16_t count) {
    if (count > AuxRecord::kMaxData) return false;
    AuxRecord record;
    record.setAddress(address);
    record.setCount(count);
    if (!auxRead(record)) {
        report("Could not read from Aux Port", nullptr, kBoxOk);
        return false;
    }
    if (count > 0) std::memcpy(destination, record.data(), count);
    return true;
}

void AdapterHandle::identifyCard() {
    if (!isOpen()) return;  // the layout found last stays
    RidRecord record;
    macType_ = readRecord(record, RID_MAC_IDENTITY) ? record.word(2) : 0;
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

bool AdapterHandle::readFirmwareIdentity(uint16_t rid, FirmwareIdentity& identity) {
    RidRecord record;
    if (!readRecord(record, rid)) return false;
    identity.present = true;
    identity.componentId = record.word(0);
    identity.variant = record.word(1);
    identity.major = record.word(2);
    identity.minor = record.word(3);
    return true;
}

void AdapterHandle::readFirmwareVersions(uint32_t index, std::string& primary, std::string& station) {
    const bool wasOpen = isOpen();
    primary.clear();
    station.clear();
    if (!open(index, false)) return;
    FirmwareIdentity identity;
    if (readFirmwareIdentity(RID_PRIMARY_IDENTITY, identity)) primary = identity.Text();
    if (readFirmwareIdentity(RID_STATION_IDENTITY, identity)) station = identity.Text();
    if (!wasOpen) close();
}

bool AdapterHandle::getVersionText(char* destination, size_t size, uint32_t index) {
    if (destination != nullptr && size > 0) destination[0] = '\0';
    const bool wasOpen = isOpen();
    if (!open(index, false)) return false;

    // After a failed record read the adapter stays open; the callers close it.
    std::string text;
    bool result = false;
    FirmwareIdentity identity;
    if (!readFirmwareIdentity(RID_PRIMARY_IDENTITY, identity)) {
        text = "(Primary RID read failure)";
    } else {
        text = "Primary: " + identity.Text();
        if (!readFirmwareIdentity(RID_STATION_IDENTITY, identity)) {
            text += " (Station RID read failure)";
        } else {
            text += "   Station: " + identity.Text();
            if (!wasOpen) close();
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

bool AdapterHandle::readFileNameText(std::string& text) {
    RidRecord record;
    if (!readRecord(record, RID_FIRMWARE_FILE_NAMES)) return false;
    const int textBytes = 2 * static_cast<int>(record.length()) - 4;
    text.assign(kFileNameTextBytes, ' ');
    for (int i = 0; i < kFileNameTextBytes; ++i) {
        const uint8_t byte = record.data()[i];
        if (byte >= 0x20 && byte <= 0x7E && i < textBytes) text[i] = static_cast<char>(byte);
    }
    return true;
}

bool AdapterHandle::readFileNames(std::string& primary, std::string& station) {
    std::string text;
    if (!readFileNameText(text)) return false;
    SplitTwoWords(text, primary, station);
    return true;
}

bool AdapterHandle::readPermanentAddress(uint8_t (&destination)[6]) {
    return request(kRequestQuery, OID_802_3_PERMANENT_ADDRESS, destination, kPermanentAddressLength) ==
           kNdisStatusSuccess;
}

bool AdapterHandle::readPdaWords(uint32_t address, uint16_t (&words)[kPdaWords]) {
    AuxRecord record;
    record.setAddress(address);
    record.setCount(kPdaBytes);
    if (!auxRead(record)) return false;
    for (size_t i = 0; i < kPdaWords; ++i) {
        words[i] = static_cast<uint16_t>(record.data()[2 * i] | (record.data()[2 * i + 1] << 8));
    }
    return true;
}

bool AdapterHandle::readPda(Pda& pda) {
    if (!isOpen()) return false;
    uint16_t words[kPdaWords];
    if (!readPdaWords(pdaAddress_, words)) return false;
    pda.Clear();
    if (pda.ParseWords(words, kPdaWords) == 0) {
        // Second attempt through the other path of the aux port. A failed
        // read would parse as nothing (its data starts with the read marker).
        const bool read = readPdaWords(pdaAddress_ | kAuxAddressFlag, words);
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

bool AdapterHandle::readPdaAreaOnce(uint16_t (&words)[kPdaWords]) {
    bool read = readPdaWords(pdaAddress_, words);
    Pda list;
    if (!read || list.ParseWords(words, kPdaWords) == 0) {
        uint16_t flagged[kPdaWords];
        Pda second;
        if (readPdaWords(pdaAddress_ | kAuxAddressFlag, flagged) &&
            (!read || second.ParseWords(flagged, kPdaWords) != 0)) {
            std::copy(flagged, flagged + kPdaWords, words);
            read = true;
        }
    }
    return read;
}

void AdapterHandle::readPdaArea(PdaArea& area) {
    area.list.Clear();
    area.state = PdaArea::State::kUnreadable;
    uint16_t first[kPdaWords];
    uint16_t second[kPdaWords];
    if (!isOpen() || !readPdaAreaOnce(first) || !readPdaAreaOnce(second)) return;
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
