#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/LogCapture.h"
#include "image/Calibration.h"
#include "image/Pda.h"

namespace {

using Words = std::vector<uint16_t>;

// A record {L, code, data...} whose data word k is base + k.
Words Table(uint16_t code, uint16_t length, uint16_t base) {
    Words record = {length, code};
    for (uint16_t k = 0; k + 1 < length; ++k) record.push_back(static_cast<uint16_t>(base + k));
    return record;
}

Words DomainRecord(uint16_t secondWord) { return {7, 0x0103, 0x1111, secondWord, 0, 0, 0, 0}; }

Words Record(const meru::Pda& pda, uint16_t code) {
    const uint16_t* record = pda.Find(code);
    if (record == nullptr) return {};
    return Words(record, record + record[0] + 1);
}

class CalibrationTest : public ::testing::Test {
protected:
    void Fill(uint16_t domainWord, uint16_t setPointLength = 31, uint16_t integratorLength = 34) {
        Add(Table(0x0900, setPointLength, 0xA000));
        Add(Table(0x0901, integratorLength, 0xB000));
        Add(DomainRecord(domainWord));
    }
    void Add(Words record) { pda.AddRecord(record.data()); }

    testsupport::LogCapture log;
    meru::Pda pda;
};

struct DomainRule {
    uint16_t domain;
    uint16_t rowStart;    // 0: first row, 16: second row
    bool replaceWord0;    // by d[14]
    bool replaceWord12;   // by d[15]
};

class CalibrationDomainTest : public CalibrationTest, public ::testing::WithParamInterface<DomainRule> {};

TEST_P(CalibrationDomainTest, BuildsBothRecordsFromTheDomainsRows) {
    const DomainRule rule = GetParam();
    Fill(rule.domain);
    EXPECT_EQ(meru::kCalibrationAdded, meru::ComputeCalibrationRecords(pda));

    char line[64];
    std::snprintf(line, sizeof line, "PDA entries found: Using domain %x\n", rule.domain);
    EXPECT_EQ(line, log.Text());

    Words setPoints = {15, 0x0300};
    Words integrators = {18, 0x0301};
    for (uint16_t i = 0; i < 14; ++i) {
        uint16_t k = static_cast<uint16_t>(rule.rowStart + i);
        if (i == 0 && rule.replaceWord0) k = 14;
        if (i == 12 && rule.replaceWord12) k = 15;
        setPoints.push_back(static_cast<uint16_t>(0xA000 + k));
        integrators.push_back(static_cast<uint16_t>(0xB000 + k));
    }
    integrators.insert(integrators.end(), {0xB000 + 30, 0xB000 + 31, 0xB000 + 32});
    EXPECT_EQ(setPoints, Record(pda, 0x0300));
    EXPECT_EQ(integrators, Record(pda, 0x0301));
}

INSTANTIATE_TEST_SUITE_P(EveryDomain, CalibrationDomainTest,
                         ::testing::Values(DomainRule{0x10, 0, false, false}, DomainRule{0x20, 0, false, false},
                                           DomainRule{0x31, 0, false, false}, DomainRule{0x30, 0, true, true},
                                           DomainRule{0x32, 0, false, true}, DomainRule{0x40, 16, false, false},
                                           DomainRule{0x41, 16, false, false}),
                         [](const ::testing::TestParamInfo<DomainRule>& info) {
                             return "Domain" + std::to_string(info.param.domain >> 4) +
                                    std::to_string(info.param.domain & 0xF);
                         });

TEST_F(CalibrationTest, OnlyTheLowByteOfTheDomainWordCounts) {
    Fill(0x5530);
    EXPECT_EQ(meru::kCalibrationAdded, meru::ComputeCalibrationRecords(pda));
    EXPECT_EQ("PDA entries found: Using domain 30\n", log.Text());
    EXPECT_EQ(0xA000 + 14, Record(pda, 0x0300).at(2));
}

TEST_F(CalibrationTest, UnknownDomainAddsNothing) {
    for (uint16_t word : {uint16_t{0x0042}, uint16_t{0x1242}, uint16_t{0x3000}}) {
        pda.Clear();
        Fill(word);
        log.Reset();
        EXPECT_EQ(meru::kCalibrationUnknownDomain, meru::ComputeCalibrationRecords(pda)) << word;
        char line[80];
        std::snprintf(line, sizeof line, "ERROR - PDA entries found, but domain %x not recognized!\n", word & 0xFF);
        EXPECT_EQ(line, log.Text());
        EXPECT_EQ(nullptr, pda.Find(0x0300));
        EXPECT_EQ(nullptr, pda.Find(0x0301));
    }
}

TEST_F(CalibrationTest, MissingOrWrongLengthInputsAddNothing) {
    const std::string missing = "Not all PDA entries found. Cannot configure Set point and integrator values.\n";
    struct Case {
        const char* what;
        uint16_t setPointLength, integratorLength;
        bool withDomain;
    };
    for (const Case& c : {Case{"set point table 30 words", 30, 34, true}, Case{"integrator table 35 words", 31, 35, true},
                          Case{"no domain record", 31, 34, false}}) {
        pda.Clear();
        Add(Table(0x0900, c.setPointLength, 0xA000));
        Add(Table(0x0901, c.integratorLength, 0xB000));
        if (c.withDomain) Add(DomainRecord(0x10));
        const size_t records = pda.RecordCount();
        log.Reset();
        EXPECT_EQ(meru::kCalibrationInputsMissing, meru::ComputeCalibrationRecords(pda)) << c.what;
        EXPECT_EQ(missing, log.Text()) << c.what;
        EXPECT_EQ(records, pda.RecordCount()) << c.what;
    }

    pda.Clear();
    Add(Table(0x0901, 34, 0xB000));
    Add(DomainRecord(0x10));  // no set point table
    log.Reset();
    EXPECT_EQ(meru::kCalibrationInputsMissing, meru::ComputeCalibrationRecords(pda));
    EXPECT_EQ(missing, log.Text());

    pda.Clear();
    Fill(0x10);
    Add({6, 0x0103, 0, 0x10, 0, 0, 0});  // domain record one word short
    EXPECT_EQ(meru::kCalibrationInputsMissing, meru::ComputeCalibrationRecords(pda));
}

TEST_F(CalibrationTest, RunningTwiceLeavesOneRecordOfEach) {
    Add({15, 0x0300, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9});  // an older computed record
    Fill(0x40);
    ASSERT_EQ(meru::kCalibrationAdded, meru::ComputeCalibrationRecords(pda));
    const Words first = Record(pda, 0x0300);
    const size_t records = pda.RecordCount();
    ASSERT_EQ(meru::kCalibrationAdded, meru::ComputeCalibrationRecords(pda));
    EXPECT_EQ(records, pda.RecordCount());
    EXPECT_EQ(5u, records);
    EXPECT_EQ(first, Record(pda, 0x0300));
    EXPECT_EQ(0xA000 + 16, first.at(2));
    size_t setPointRecords = 0;
    for (const auto& record : pda.Records()) setPointRecords += record.at(1) == 0x0300 ? 1 : 0;
    EXPECT_EQ(1u, setPointRecords);
}

}  // namespace
