// card-probe: lists the adapters of this system the way the updater finds
// them, opens each with identification and prints what the card tells; then
// sends a download outside a programming session and prints the driver's
// answer. A console check of the card library bound to KBW32N50.dll.
#include <windows.h>

#include <cstdio>
#include <string>

#include "card/AdapterHandle.h"
#include "card/CollectedAdapters.h"
#include "card/win32/Kbw32n50Library.h"
#include "card/win32/Win32OverlappedEvents.h"
#include "card/win32/WindowsRegistry.h"
#include "image/Pda.h"

namespace {

// The card's notices become lines on standard output.
void PrintNotice(const meru::CardNotice& notice) {
    std::printf("box: [%s] %s (type 0x%X)\n", notice.caption != nullptr ? notice.caption : "", notice.text,
                notice.type);
}

void PrintCard(meru::AdapterHandle& handle, uint32_t index) {
    std::printf("macType: 0x%04X\n", handle.MacType());
    std::printf("pdaAddress: 0x%06X cisAddress: 0x%06X dumpAddress: 0x%06X\n", handle.PdaAddress(),
                handle.CisAddress(), handle.DumpAddress());
    const uint32_t version = handle.QueryDriverVersion();
    std::printf("driver: %u.%u.%u\n", version >> 16, (version >> 8) & 0xFF, version & 0xFF);

    char versions[120];
    const bool bothRead = handle.GetVersionText(versions, sizeof versions, index);
    std::printf("versions: %s%s\n", versions, bothRead ? "" : " [incomplete]");

    std::string primaryFile, stationFile;
    if (handle.ReadFileNames(primaryFile, stationFile)) {
        std::printf("files: %s %s\n", primaryFile.c_str(), stationFile.c_str());
    } else {
        std::printf("files: unreadable\n");
    }

    uint8_t mac[6] = {};
    if (handle.ReadPermanentAddress(mac)) {
        std::printf("mac: %02X-%02X-%02X-%02X-%02X-%02X\n", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    }

    meru::Pda pda;
    if (handle.ReadPda(pda)) {
        std::printf("pda: %u records, check value 0x%04X\n", static_cast<unsigned>(pda.RecordCount()),
                    pda.StoredCrc());
    } else {
        std::printf("pda: invalid\n");
    }
}

// Only the software card's library exports this; a real card never gets
// the download below.
bool TalkingToSoftwareCard() {
    const HMODULE library = GetModuleHandleA("KBW32N50.dll");
    return library != nullptr && GetProcAddress(library, "VeloxSoftwareCard") != nullptr;
}

// A flash download without blocked protocols: the driver must refuse it.
void SendUnprotectedDownload(meru::AdapterHandle& handle) {
    if (!TalkingToSoftwareCard()) {
        std::printf("download before blocking protocols: not sent, this is not the software card\n");
        return;
    }
    meru::AuxRecord record;
    record.SetAddress(handle.DumpAddress());
    record.SetCount(16);
    for (uint16_t i = 0; i < 16; ++i) record.Data()[i] = static_cast<uint8_t>(i);
    const bool accepted = handle.AuxWrite(record);
    std::printf("download before blocking protocols: %s, status 0x%08X\n", accepted ? "accepted" : "refused",
                handle.LastStatus());
}

}  // namespace

int main() {
    meru::Kbw32n50Library library;
    meru::WindowsRegistry registry;
    meru::Win32OverlappedEvents events;
    meru::AdapterHandle handle(library, registry, events, PrintNotice);

    if (!handle.CheckLibrary()) {
        std::printf("library: unavailable\n");
        return 2;
    }
    std::printf("library: ok\n");

    meru::AdapterDiscovery discovery(library, registry);
    std::printf("class key: %s\n", discovery.AdapterClassKeyPath().c_str());
    meru::CollectedAdapters adapters;
    discovery.FillAdapterList(adapters);
    std::printf("adapters: %u\n", static_cast<unsigned>(adapters.names.size()));

    int opened = 0;
    for (size_t i = 0; i < adapters.names.size(); ++i) {
        std::printf("adapter %u: %s\n", adapters.values[i], adapters.names[i].c_str());
        if (!handle.Open(adapters.values[i], true)) {
            std::printf("open: failed\n");
            continue;
        }
        ++opened;
        std::printf("open: ok\n");
        PrintCard(handle, adapters.values[i]);
        SendUnprotectedDownload(handle);
        handle.Close();
    }
    std::fflush(stdout);
    return opened > 0 ? 0 : 1;
}
