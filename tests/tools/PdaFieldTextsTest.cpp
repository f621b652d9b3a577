// The MAC and serial texts of the PDA tools and the PDA dialog's decisions.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "support/RecordingMessageBoxes.h"
#include "tools/PdaEditForm.h"
#include "tools/PdaFieldTexts.h"

namespace {

using meru::MacOutcome;

// The words of a MAC address given as its six octets in order.
meru::MacWords WordsOf(const std::array<uint8_t, 6>& octets) {
    return {static_cast<uint16_t>(octets[0] | octets[1] << 8), static_cast<uint16_t>(octets[2] | octets[3] << 8),
            static_cast<uint16_t>(octets[4] | octets[5] << 8)};
}

const std::array<uint8_t, 6> kVendorMac = {0x00, 0x60, 0xB3, 0x1A, 0x2B, 0x3C};

TEST(ParseMacText, FormsOfTheAddress) {
    struct Case {
        const char* name;
        std::string text;
        MacOutcome outcome;
        std::array<uint8_t, 6> octets;
    } cases[] = {
        {"bare digits", "0060b31a2b3c", MacOutcome::kAccepted, kVendorMac},
        {"dashes, upper case", "00-60-B3-1A-2B-3C", MacOutcome::kAccepted, kVendorMac},
        {"colons", "00:60:B3:1A:2B:3C", MacOutcome::kAccepted, kVendorMac},
        {"thirteenth and later digits ignored", "00-60-B3-1A-2B-3C-FF", MacOutcome::kAccepted, kVendorMac},
        {"a long text", "00-60-B3-1A-2B-3C" + std::string(5000, '7'), MacOutcome::kAccepted, kVendorMac},
        {"ten digits", "00-60-B3-1A-2B", MacOutcome::kNotAMac, {}},
        {"eleven characters", "0060b31a2b3", MacOutcome::kNotAMac, {}},
        {"ends at a NUL", std::string("0060b3\0" "1a2b3c4d5e", 17), MacOutcome::kNotAMac, {}},
        {"first byte with the high bit", "\xB5" "0060b31a2b3c", MacOutcome::kNotAMac, {}},
        {"digits stop at a high-bit byte", "0060b31a\xE9" "2b3c", MacOutcome::kNotAMac, {}},
        {"first two octets zero", "00-00-B3-1A-2B-3C", MacOutcome::kRefusedZero, {0x00, 0x00, 0xB3, 0x1A, 0x2B, 0x3C}},
        {"only the first octet zero", "00-01-00-00-00-00", MacOutcome::kAccepted, {0x00, 0x01, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const meru::MacParse parsed = meru::ParseMacText(c.text);
        EXPECT_EQ(parsed.outcome, c.outcome);
        if (c.outcome != MacOutcome::kNotAMac) {
            EXPECT_EQ(parsed.words, WordsOf(c.octets));
        }
    }
    EXPECT_EQ(meru::FormatMacText(WordsOf({0xFF, 0xEE, 0x0D, 0xC0, 0x01, 0x10})), "ff-ee-0d-c0-01-10");
}

TEST(PackSerialText, TwoCharactersAWordLowByteFirst) {
    struct Case {
        std::string text;
        meru::SerialWords words;
    } cases[] = {
        {"ABC", {0x4241, 0x0043, 0, 0, 0, 0}},
        {"", {0, 0, 0, 0, 0, 0}},
        {"99SA00012345X", {0x3939, 0x4153, 0x3030, 0x3130, 0x3332, 0x3534}},  // the thirteenth is dropped
        {std::string(4000, 'z'), {0x7A7A, 0x7A7A, 0x7A7A, 0x7A7A, 0x7A7A, 0x7A7A}},
        {"\xFF\x80", {0x80FF, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) EXPECT_EQ(meru::PackSerialText(c.text), c.words) << c.text.substr(0, 20);
}

TEST(PdaEditForm, MacFieldReformatsOnceItReadsAsAnAddress) {
    struct Case {
        const char* typed;
        const char* shown;
    } cases[] = {
        {"0060b31a2b3c", "00-60-B3-1A-2B-3C"},
        {"00-00-b3-1a-2b-3c", "00-00-B3-1A-2B-3C"},  // refused only on OK
        {"00-60-B3-1A-2B-3C", "00-60-B3-1A-2B-3C"},
        {"0060b3", "0060b3"},
    };
    for (const auto& c : cases) {
        meru::PdaEditFields fields;
        fields.macText = c.typed;
        EXPECT_EQ(meru::PdaEditForm::OnMacTextChanged(fields), std::string(c.typed) != c.shown);
        EXPECT_EQ(fields.macText, c.shown);
    }
}

TEST(PdaEditForm, WriteToCardNowChecksTheAddressAndCasesTheSerial) {
    struct Case {
        const char* mac;
        bool uppercase;
        const char* serial;
        const char* box;  // nullptr: accepted
    } cases[] = {
        {"00-60-1D-12-34-56", true, "AB12", nullptr},
        {"00-60-1D-12-34-56", false, "ab12", nullptr},
        {"00-60-1D", true, "AB12", "Bad MAC Address"},
        {"00-00-1D-12-34-56", false, "ab12", "First octet of MAC address can't be zero!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mac);
        testsupport::RecordingMessageBoxes boxes;
        meru::PdaEditFields fields{c.mac, "ab12", c.uppercase};
        std::vector<std::string> pushed;  // the serial pushed back, and the boxes shown by then
        const bool accepted = meru::PdaEditForm::Accept(fields, nullptr, [&](const meru::PdaEditFields& shown) {
            pushed.push_back(shown.serialText + " after " + std::to_string(boxes.boxes.size()) + " boxes");
        });
        EXPECT_EQ(accepted, c.box == nullptr);
        EXPECT_EQ(fields.serialText, c.serial);
        EXPECT_EQ(pushed, std::vector<std::string>{std::string(c.serial) + " after 0 boxes"});
        ASSERT_EQ(boxes.boxes.size(), c.box != nullptr ? 1u : 0u);
        if (c.box != nullptr) {
            EXPECT_EQ(boxes.boxes[0].text, c.box);
        }
    }
}

}  // namespace
