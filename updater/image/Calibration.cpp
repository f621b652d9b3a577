#include "Calibration.h"

#include <array>
#include <cstdint>

#include "Pda.h"
#include "base/SessionLog.h"

namespace meru {

namespace {

constexpr uint16_t kSetPointTableCode = 0x0900;
constexpr uint16_t kIntegratorTableCode = 0x0901;
constexpr uint16_t kDomainRecordCode = 0x0103;
constexpr uint16_t kSetPointCode = 0x0300;
constexpr uint16_t kIntegratorCode = 0x0301;

constexpr uint16_t kSetPointTableLength = 31;
constexpr uint16_t kIntegratorTableLength = 34;
constexpr uint16_t kDomainRecordLength = 7;

constexpr size_t kRowWords = 14;
// Data word offsets inside both tables.
constexpr size_t kFirstRow = 0;
constexpr size_t kFirstWordReplacement = 14;
constexpr size_t kTwelfthWordReplacement = 15;
constexpr size_t kSecondRow = 16;
constexpr size_t kIntegratorTail = 30;
constexpr size_t kIntegratorTailWords = 3;

using Row = std::array<uint16_t, kRowWords>;

// How a domain builds its rows from a table.
enum class RowRule { FirstRow, FirstRowPatchWords0And12, FirstRowPatchWord12, SecondRow };

bool RuleForDomain(unsigned domain, RowRule& rule) {
    switch (domain) {
        case 0x10:
        case 0x20:
        case 0x31: rule = RowRule::FirstRow; return true;
        case 0x30: rule = RowRule::FirstRowPatchWords0And12; return true;
        case 0x32: rule = RowRule::FirstRowPatchWord12; return true;
        case 0x40:
        case 0x41: rule = RowRule::SecondRow; return true;
        default: return false;
    }
}

// table points at the record's length word; its data words start at [2].
Row BuildRow(const uint16_t* table, RowRule rule) {
    const uint16_t* data = table + 2;
    Row row{};
    const size_t start = rule == RowRule::SecondRow ? kSecondRow : kFirstRow;
    for (size_t i = 0; i < kRowWords; ++i) row[i] = data[start + i];
    if (rule == RowRule::FirstRowPatchWords0And12) row[0] = data[kFirstWordReplacement];
    if (rule == RowRule::FirstRowPatchWords0And12 || rule == RowRule::FirstRowPatchWord12) {
        row[12] = data[kTwelfthWordReplacement];
    }
    return row;
}

bool HasLength(const uint16_t* record, uint16_t length) { return record != nullptr && record[0] == length; }

}  // namespace

int ComputeCalibrationRecords(Pda& pda) {
    const uint16_t* setPointTable = pda.Find(kSetPointTableCode);
    const uint16_t* integratorTable = pda.Find(kIntegratorTableCode);
    const uint16_t* domainRecord = pda.Find(kDomainRecordCode);
    if (!HasLength(setPointTable, kSetPointTableLength) || !HasLength(integratorTable, kIntegratorTableLength) ||
        !HasLength(domainRecord, kDomainRecordLength)) {
        LogPrintf("Not all PDA entries found. Cannot configure Set point and integrator values.\n");
        return kCalibrationInputsMissing;
    }

    const unsigned domain = domainRecord[2 + 1] & 0xFFu;
    RowRule rule;
    if (!RuleForDomain(domain, rule)) {
        LogPrintf("ERROR - PDA entries found, but domain %x not recognized!\n", domain);
        return kCalibrationUnknownDomain;
    }
    LogPrintf("PDA entries found: Using domain %x\n", domain);

    const Row setPoints = BuildRow(setPointTable, rule);
    const Row integrators = BuildRow(integratorTable, rule);

    std::array<uint16_t, 2 + kRowWords> setPointRecord{};
    setPointRecord[0] = static_cast<uint16_t>(1 + kRowWords);
    setPointRecord[1] = kSetPointCode;
    for (size_t i = 0; i < kRowWords; ++i) setPointRecord[2 + i] = setPoints[i];

    std::array<uint16_t, 2 + kRowWords + kIntegratorTailWords> integratorRecord{};
    integratorRecord[0] = static_cast<uint16_t>(1 + kRowWords + kIntegratorTailWords);
    integratorRecord[1] = kIntegratorCode;
    for (size_t i = 0; i < kRowWords; ++i) integratorRecord[2 + i] = integrators[i];
    for (size_t i = 0; i < kIntegratorTailWords; ++i) {
        integratorRecord[2 + kRowWords + i] = integratorTable[2 + kIntegratorTail + i];
    }

    // Both rows are built before either record goes in.
    pda.AddRecord(setPointRecord.data());
    pda.AddRecord(integratorRecord.data());
    return kCalibrationAdded;
}

}  // namespace meru
