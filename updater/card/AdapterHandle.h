#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "card/AccessLibrary.h"
#include "card/AdapterDiscovery.h"
#include "card/AuxRecord.h"
#include "card/CardNotice.h"
#include "card/Overlapped.h"
#include "card/ProgramResult.h"
#include "card/ProgressBar.h"
#include "card/Registry.h"
#include "card/RidRecord.h"

namespace meru {

class FirmwareImage;
class Pda;
struct FirmwareIdentity;
struct PdaArea;

// MAC controller types found by card identification.
constexpr uint16_t kMacTypeMx100 = 1;
constexpr uint16_t kMacTypeMx200 = 2;
constexpr uint16_t kMacTypeUnknown = 0xFFFF;

// The driver channel to one adapter: the library's handle (-1 while
// closed), the overlapped block that goes with every request, and the card
// layout found at identification. Every card operation returns false (or 0)
// on a closed handle without sending anything or showing a message, unless
// it opens the adapter itself.
class AdapterHandle {
public:
    // Status returned for a request that could not be sent (closed handle).
    static constexpr uint32_t kStatusNotSent = 0xC0000001;  // NDIS_STATUS_FAILURE
    // Bit 31 of an aux-port address, passed through to the driver.
    static constexpr uint32_t kAuxAddressFlag = 0x80000000;
    // Bytes of the production data area read from the card (512 words).
    static constexpr uint16_t kPdaBytes = 1024;
    static constexpr uint16_t kPdaWords = kPdaBytes / 2;

    // `notices` receives what the user is to be told (nothing is told without one).
    AdapterHandle(AccessLibrary& library, Registry& registry, OverlappedEvents& events, CardNoticeSink notices = {});
    ~AdapterHandle();
    AdapterHandle(const AdapterHandle&) = delete;
    AdapterHandle& operator=(const AdapterHandle&) = delete;

    // --- driver channel ---
    bool IsOpen() const { return libraryHandle_ != kNoLibraryHandle; }
    void Close();
    // Opens the adapter whose class subkey has position `index`; identifies the card when asked.
    bool Open(uint32_t index, bool identify);
    // True when the library can start its driver; reports why not otherwise.
    bool CheckLibrary();
    bool CheckDriver(uint8_t (&buffer)[8]);
    bool CheckDriver();
    bool EnableAux();
    bool BlockProtocols(bool block);
    bool ConcludeSession();
    // The driver's version number; 0 when closed or refused.
    uint32_t QueryDriverVersion();
    bool ShowVendorDescription();

    // --- card records and identity ---
    bool ReadRecord(RidRecord& record, uint16_t rid);
    bool AuxRead(AuxRecord& record);
    bool ReadAuxPort(uint8_t* destination, uint32_t address, uint16_t count);
    void IdentifyCard();
    // Component id, variant, major, minor from an identity record.
    bool ReadFirmwareIdentity(uint16_t rid, FirmwareIdentity& identity);
    void ReadFirmwareVersions(uint32_t index, std::string& primary, std::string& station);
    bool GetVersionText(char* destination, size_t size, uint32_t index);
    // The 26 text bytes of the file-name record: printable characters inside
    // the record's length kept, every other position a blank.
    bool ReadFileNameText(std::string& text);
    bool ReadFileNames(std::string& primary, std::string& station);
    bool ReadPermanentAddress(uint8_t (&destination)[6]);
    bool ReadPda(Pda& pda);
    // The production data area's words whatever they hold, read twice (each
    // read as readPda reads, once more with bit 31 when the first fails or
    // holds no records); the two must agree. Sets area.state.
    void ReadPdaArea(PdaArea& area);

    // --- flash programming ---
    bool AuxWrite(const AuxRecord& record);
    bool WriteBlock(const AuxRecord& record, bool force, bool verify);
    bool PrepareDownload();
    // Writes the image block by block (leaving the protocols blocked); stops
    // at the first block that fails.
    ProgramResult ProgramImage(FirmwareImage& image, ProgressBar* progress, bool force, bool verify);
    // Whether the card's flash holds the image, block by block; nothing is
    // written. A refused read is tried once more; a block that still cannot
    // be read makes the flash unreadable, which is not a difference.
    enum class FlashContents {
        kHeld,        // every block read back as the image holds it
        kDifferent,   // a block was read and differs
        kUnreadable,  // a block could not be read, twice
    };
    FlashContents HoldsImage(FirmwareImage& image);
    // Writes the serialised list (nothing when it does not fit the area);
    // with `verify`, true only when the full PDA read then gives the same
    // records and check value.
    bool WritePda(const Pda& pda, bool force, bool verify);
    // Writes `count` words (at most kPdaWords) as they are at the PDA
    // address; with `verify`, true only when the area then reads as those words.
    bool WritePdaWords(const uint16_t* words, uint16_t count, bool force, bool verify);

    // --- state ---
    int32_t LibraryHandle() const { return libraryHandle_; }
    uint16_t MacType() const { return macType_; }
    uint32_t CisAddress() const { return cisAddress_; }
    uint32_t PdaAddress() const { return pdaAddress_; }
    uint32_t DumpAddress() const { return dumpAddress_; }
    const OverlappedBlock& Overlapped() const { return overlapped_; }
    // NDIS status of the last request sent (kStatusNotSent before the first).
    uint32_t LastStatus() const { return lastStatus_; }

    // Replaces the real wait between the download preparation and the first block.
    void SetSleepHook(std::function<void(uint32_t milliseconds)> hook) { sleep_ = std::move(hook); }

private:
    // The common request procedure: the NDIS status (kStatusNotSent when closed).
    uint32_t Request(uint32_t type, uint32_t oid, void* buffer, uint32_t length);
    // Hands a notice to the owner's sink.
    void Notify(const char* text, const char* caption, unsigned type);
    bool Command(uint32_t oid);
    // Hands the adapter of class subkey `index` to the library; the handle
    // stays closed when there is no class key or no such subkey, or the
    // library refuses. False, without asking the library, when the subkey
    // cannot be opened or the adapter is disabled.
    bool OpenAdapterAtIndex(uint32_t index);
    bool AdapterNameOfSubkey(RegistryKey classKey, const char* subkeyName, std::string& adapterName);
    // Reads back a block's address range and compares it with the block.
    enum class Comparison { Same, Different, Unreadable };
    Comparison CompareWithCard(const AuxRecord& record);
    // The production data area's words at `address`; false when the read fails.
    bool ReadPdaWords(uint32_t address, uint16_t (&words)[kPdaWords]);
    // One read of the area as readPda makes it; false when it failed.
    bool ReadPdaAreaOnce(uint16_t (&words)[kPdaWords]);

    AccessLibrary& library_;
    Registry& registry_;
    OverlappedEvents& events_;
    AdapterDiscovery discovery_;
    CardNoticeSink notices_;
    std::function<void(uint32_t)> sleep_;

    int32_t libraryHandle_ = kNoLibraryHandle;
    OverlappedBlock overlapped_;
    uint16_t macType_ = 0;
    uint32_t cisAddress_ = 0;
    uint32_t pdaAddress_ = 0;
    uint32_t dumpAddress_ = 0;
    uint32_t lastStatus_ = kStatusNotSent;
};

}  // namespace meru
