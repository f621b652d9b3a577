#pragma once

#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "card/AccessLibrary.h"
#include "card/CardRequests.h"

namespace cardtest {

constexpr uint32_t kStatusFailure = 0xC0000001;

// One request as the library received it.
struct SentRequest {
    uint32_t type = 0;
    uint32_t oid = 0;
    uint32_t length = 0;
    bool hasBuffer = false;
    std::vector<uint8_t> bytes;  // the information buffer as sent
    void* overlapped = nullptr;

    uint32_t AuxAddress() const {
        return bytes.size() < 4 ? 0 : bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    }
    uint16_t AuxCount() const { return bytes.size() < 6 ? 0 : static_cast<uint16_t>(bytes[4] | bytes[5] << 8); }
};

// An access library with a tiny card behind it: records by RID, a byte
// memory the aux port reads and downloads write, and statuses scripted per
// OID. Everything sent is recorded for exact sequence checks.
class ScriptedLibrary : public meru::AccessLibrary {
public:
    struct Adapter {
        std::string displayName;
        std::string deviceName;
    };
    struct Record {
        uint16_t length = 0;  // as the driver reports it
        std::vector<uint16_t> words;
    };

    // --- the system ---
    bool nt = true;
    uint32_t platformVersion = 5;
    bool windows95 = false;
    std::map<std::string, Adapter> adapters;  // by class subkey name
    std::vector<std::string> registryInfoCalls;

    // --- opening ---
    int32_t openResult = 7;
    uint32_t lastError = 6;
    std::vector<std::string> openedNames;
    std::vector<int32_t> closedHandles;
    int lastErrorCalls = 0;

    // --- the card ---
    std::map<uint16_t, Record> records;
    std::map<uint32_t, uint8_t> memory;  // unwritten addresses read 0xFF
    bool ignoreDownloads = false;        // downloads succeed but change nothing
    uint32_t driverVersion = 0x00020103;
    std::string vendorDescription = "VELOX Wireless LAN Adapter";
    uint8_t permanentAddress[6] = {0x00, 0x60, 0x1D, 0x12, 0x34, 0x56};
    // Statuses for the next requests of an OID (0 = behave normally).
    std::map<uint32_t, std::deque<uint32_t>> scripted;
    // Status for every request of an OID.
    std::map<uint32_t, uint32_t> refused;

    std::vector<SentRequest> sent;

    void SetRecord(uint16_t rid, std::vector<uint16_t> words) {
        records[rid] = Record{static_cast<uint16_t>(words.size() + 1), std::move(words)};
    }
    void SetMemory(uint32_t address, const std::vector<uint8_t>& bytes) {
        for (size_t i = 0; i < bytes.size(); ++i) memory[address + static_cast<uint32_t>(i)] = bytes[i];
    }
    std::vector<uint8_t> Memory(uint32_t address, size_t count) const {
        std::vector<uint8_t> bytes(count);
        for (size_t i = 0; i < count; ++i) bytes[i] = ByteAt(address + static_cast<uint32_t>(i));
        return bytes;
    }
    std::vector<uint32_t> Oids() const {
        std::vector<uint32_t> oids;
        for (const SentRequest& request : sent) oids.push_back(request.oid);
        return oids;
    }
    std::vector<SentRequest> SentWith(uint32_t oid) const {
        std::vector<SentRequest> matching;
        for (const SentRequest& request : sent)
            if (request.oid == oid) matching.push_back(request);
        return matching;
    }
    size_t Count(uint32_t oid) const { return SentWith(oid).size(); }

    bool IsWindowsNT() override { return nt; }
    uint32_t OSGetPlatformVersion(uint32_t) override { return platformVersion; }
    uint32_t GetAdapterRegistryInfo(meru::AdapterRegistryInfo& info, const char* subkeyName) override {
        registryInfoCalls.push_back(subkeyName);
        auto found = adapters.find(subkeyName);
        if (found == adapters.end()) return 1;
        PutText(info, meru::AdapterRegistryInfo::kDisplayNameOffset, found->second.displayName);
        PutText(info, meru::AdapterRegistryInfo::kDeviceNameOffset, found->second.deviceName);
        return 0;
    }
    int32_t OpenAdapter(const char* adapterName) override {
        openedNames.push_back(adapterName);
        return openResult;
    }
    uint32_t GetLastError() override {
        ++lastErrorCalls;
        return lastError;
    }
    void CloseAdapter(int32_t handle) override { closedHandles.push_back(handle); }
    bool IsWindows95() override { return windows95; }

    uint32_t MakeNdisRequest(int32_t, const meru::NdisRequest& request, void* overlapped) override {
        SentRequest record;
        record.type = request.type;
        record.oid = request.oid;
        record.length = request.length;
        record.hasBuffer = request.buffer != nullptr;
        if (request.buffer != nullptr) {
            const uint8_t* bytes = static_cast<const uint8_t*>(request.buffer);
            record.bytes.assign(bytes, bytes + request.length);
        }
        record.overlapped = overlapped;
        sent.push_back(record);

        uint32_t status = 0;
        auto script = scripted.find(request.oid);
        if (script != scripted.end() && !script->second.empty()) {
            status = script->second.front();
            script->second.pop_front();
        }
        auto refusal = refused.find(request.oid);
        if (status == 0 && refusal != refused.end()) status = refusal->second;
        if (status != 0) return status;
        return Perform(request);
    }

private:
    static void PutText(meru::AdapterRegistryInfo& info, size_t offset, const std::string& text) {
        const size_t room = (offset == 0 ? meru::AdapterRegistryInfo::kDeviceNameOffset : meru::AdapterRegistryInfo::kSize -
                                                                                              offset);
        const size_t count = text.size() < room ? text.size() : room;
        std::memcpy(info.bytes + offset, text.data(), count);
        if (count < room) info.bytes[offset + count] = 0;
    }
    uint8_t ByteAt(uint32_t address) const {
        auto found = memory.find(address);
        return found == memory.end() ? 0xFF : found->second;
    }

    uint32_t Perform(const meru::NdisRequest& request) {
        uint8_t* buffer = static_cast<uint8_t*>(request.buffer);
        switch (request.oid) {
        case meru::OID_CARD_READ_RID: {
            const uint16_t rid = static_cast<uint16_t>(buffer[2] | buffer[3] << 8);
            auto found = records.find(rid);
            if (found == records.end()) return 0xC0010015;
            buffer[0] = static_cast<uint8_t>(found->second.length);
            buffer[1] = static_cast<uint8_t>(found->second.length >> 8);
            for (size_t k = 0; k < found->second.words.size() && 4 + 2 * k + 1 < request.length; ++k) {
                buffer[4 + 2 * k] = static_cast<uint8_t>(found->second.words[k]);
                buffer[5 + 2 * k] = static_cast<uint8_t>(found->second.words[k] >> 8);
            }
            return 0;
        }
        case meru::OID_CARD_AUX_READ: {
            const SentRequest& sentRecord = sent.back();
            const uint32_t address = sentRecord.AuxAddress();
            for (uint32_t i = 0; i < sentRecord.AuxCount() && 6 + i < request.length; ++i) buffer[6 + i] = ByteAt(address + i);
            return 0;
        }
        case meru::OID_CARD_DOWNLOAD: {
            const SentRequest& sentRecord = sent.back();
            if (ignoreDownloads) return 0;
            const uint32_t address = sentRecord.AuxAddress();
            for (uint32_t i = 0; i < sentRecord.AuxCount() && 6 + i < request.length; ++i) memory[address + i] = buffer[6 + i];
            return 0;
        }
        case meru::OID_GEN_VENDOR_DRIVER_VERSION:
            for (int i = 0; i < 4; ++i) buffer[i] = static_cast<uint8_t>(driverVersion >> (8 * i));
            return 0;
        case meru::OID_GEN_VENDOR_DESCRIPTION:
            std::memset(buffer, 0, request.length);
            std::memcpy(buffer, vendorDescription.data(),
                        vendorDescription.size() < request.length ? vendorDescription.size() : request.length);
            return 0;
        case meru::OID_802_3_PERMANENT_ADDRESS:
            std::memcpy(buffer, permanentAddress, 6);
            return 0;
        default:
            return 0;
        }
    }
};

}  // namespace cardtest
