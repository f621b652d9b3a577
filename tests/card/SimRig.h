#pragma once

#include <cstdint>
#include <vector>

#include "support/NoticeBoxes.h"
#include "CardFakes.h"
#include "card/AdapterHandle.h"
#include "image/FirmwareImage.h"
#include "sim/Fixture.h"
#include "sim/MemoryRegistry.h"
#include "sim/SoftwareCard.h"
#include "sim/SoftwareLibrary.h"

namespace cardtest {

// The updater's card library over the software card: one VELOX adapter
// (then a subkey that is no adapter) in a registry of the given layout.
struct SimRig {
    explicit SimRig(uint16_t macType = 2, sim::RegistryLayout layout = sim::RegistryLayout::kWindows2000)
        : fixture(registry, layout), card(sim::SoftwareCard::Factory(macType, kPlatformId)) {
        adapter = fixture.AddVeloxAdapter();
        fixture.AddNonAdapterSubkey();
        library.SetOs(fixture.Os());
        library.AttachCard(card);
        handle.SetSleepHook([](uint32_t) {});
    }

    uint64_t Requests(uint32_t oid) const { return card.Counters().For(oid).requests; }

    static constexpr uint16_t kPlatformId = 0x0001;

    sim::MemoryRegistry registry;
    sim::AdapterFixture fixture;
    sim::FixtureAdapter adapter;
    sim::SoftwareLibrary library{registry};
    sim::SoftwareCard card;
    FakeOverlappedEvents events;
    meru::AdapterHandle handle{library, registry, events, testsupport::NoticesAsBoxes()};
};

// A station image of the size the shipped ones have (54 KiB) in the shape
// they have: a long code block, a table that crosses a 64 KiB boundary and
// a short trailer.
inline void MakeStationImage(meru::FirmwareImage& image, uint32_t base, uint8_t seed) {
    struct Part {
        uint32_t offset;
        uint32_t length;
    };
    const Part parts[] = {{0x0000, 40000}, {0xFC00, 14000}, {0x14000, 1296}};
    uint32_t n = seed;
    for (const Part& part : parts) {
        std::vector<uint8_t> bytes(part.length);
        for (uint8_t& byte : bytes) byte = static_cast<uint8_t>((n = n * 1103515245u + 12345u) >> 16);
        for (uint32_t done = 0; done < part.length;) {
            const uint32_t step = part.length - done < 0x8000 ? part.length - done : 0x8000;
            image.AppendBytes(bytes.data() + done, base + part.offset + done, static_cast<uint16_t>(step));
            done += step;
        }
    }
}

}  // namespace cardtest
