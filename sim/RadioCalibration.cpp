#include "RadioCalibration.h"

#include <vector>

namespace sim {

namespace {

constexpr size_t kRowWords = 14;
constexpr size_t kSetPointTableWords = 30;    // 0x0900
constexpr size_t kIntegratorTableWords = 33;  // 0x0901
constexpr size_t kDomainWords = 6;            // 0x0103

// One table's row for a domain: the first or second row, with the first
// row's words 0 and 12 replaced by the table's spare words where the domain
// asks for it. Empty for an unknown domain.
std::vector<uint16_t> RowFor(const std::vector<uint16_t>& table, uint8_t domain) {
    std::vector<uint16_t> row(table.begin(), table.begin() + kRowWords);
    switch (domain) {
        case 0x10: case 0x20: case 0x31: break;
        case 0x30: row[0] = table[14]; row[12] = table[15]; break;
        case 0x32: row[12] = table[15]; break;
        case 0x40: case 0x41: row.assign(table.begin() + 16, table.begin() + 16 + kRowWords); break;
        default: row.clear();
    }
    return row;
}

}  // namespace

int DeriveRadioCalibration(PdaRecords& pda) {
    const std::vector<uint16_t>* setPoints = pda.Find(0x0900);
    const std::vector<uint16_t>* integrators = pda.Find(0x0901);
    const std::vector<uint16_t>* domain = pda.Find(0x0103);
    if (setPoints == nullptr || integrators == nullptr || domain == nullptr ||
        setPoints->size() != kSetPointTableWords || integrators->size() != kIntegratorTableWords ||
        domain->size() != kDomainWords) {
        return 0;
    }
    const uint8_t code = static_cast<uint8_t>((*domain)[1] & 0xFF);
    std::vector<uint16_t> setPointRow = RowFor(*setPoints, code);
    std::vector<uint16_t> integratorRow = RowFor(*integrators, code);
    if (setPointRow.empty()) return -1;
    integratorRow.insert(integratorRow.end(), integrators->begin() + 30, integrators->begin() + 33);
    pda.Put(0x0300, setPointRow);
    pda.Put(0x0301, integratorRow);
    return 1;
}

}  // namespace sim
