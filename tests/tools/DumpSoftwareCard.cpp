// Writes the S-record dump of a software card, made by the main window's
// dump command, and beside it the card's dump window as the card stores
// it, for a comparison with another S-record reader.
//   dump_software_card DUMP.hex WINDOW.bin
#include <cstdio>
#include <fstream>
#include <vector>

#include "ToolsRig.h"
#include "app/ResourceIds.h"
#include "sim/CardLayout.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: dump_software_card DUMP.hex WINDOW.bin\n");
        return 2;
    }
    toolstest::ToolsRig rig;
    meru::MainWindow& window = rig.StartWithTools();

    // Something other than erased flash in the first half of the window
    // (the second half holds the CIS and the PDA).
    const uint32_t start = rig.card.Layout().dumpAddress;
    std::vector<uint8_t> pattern(0x10000);
    for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<uint8_t>(i * 7 + (i >> 9));
    rig.card.State().flash.Write(sim::StorageAddress(rig.card.State().macType, start), pattern.data(),
                                 static_cast<uint32_t>(pattern.size()));

    rig.toolsView.dumpPath = argv[1];
    rig.toolsView.dumpFormat = meru::DumpFormat::kSRecord;
    window.OnCommand(IDM_DUMP_FIRMWARE);
    const std::vector<std::string> boxes = rig.BoxTexts();
    if (boxes.empty() || boxes.back() != "File Saved Successfully.") {
        std::fprintf(stderr, "dump_software_card: the dump was not saved (%s)\n",
                     boxes.empty() ? "no message" : boxes.back().c_str());
        return 1;
    }

    std::ofstream out(argv[2], std::ios::binary);
    for (uint32_t i = 0; i < 0x20000; ++i) {
        const uint32_t stored = sim::StorageAddress(rig.card.State().macType, start + i);
        out.put(static_cast<char>(rig.card.State().flash.ReadByte(stored)));
    }
    out.close();
    if (!out) {
        std::fprintf(stderr, "dump_software_card: %s could not be written\n", argv[2]);
        return 1;
    }
    return 0;
}
