#include "PdaReport.h"

#include "image/Pda.h"

namespace inspect {

bool ReportPdaFile(const std::string& path, FILE* out) {
    uint16_t words[meru::Pda::kMaxWords];
    const uint16_t count = meru::ReadPdaTextFile(path, words);
    if (count == 0) return false;
    meru::Pda pda;
    pda.ParseWords(words, count);

    std::fprintf(out, "Words: %u\n", count);
    std::fprintf(out, "Records: %u\n", static_cast<unsigned>(pda.RecordCount()));
    for (const auto& record : pda.Records()) {
        std::fprintf(out, "  code 0x%04x  length %u  data", record[1], record[0]);
        for (size_t i = 2; i < record.size(); ++i) std::fprintf(out, " %04x", record[i]);
        std::fprintf(out, "\n");
    }
    if (!pda.SawEndRecord()) {
        std::fprintf(out, "End record: no end record\n");
    } else if (pda.ReadCrc() == pda.StoredCrc()) {
        std::fprintf(out, "End record: CRC 0x%04x matches\n", pda.StoredCrc());
    } else {
        std::fprintf(out, "End record: CRC 0x%04x does not match the records (0x%04x)\n", pda.StoredCrc(),
                     pda.ReadCrc());
    }
    return true;
}

}  // namespace inspect
