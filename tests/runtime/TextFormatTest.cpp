#include "TextFormat.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdarg>
#include <cstring>
#include <string>

namespace {

// Without the printf format check: some cases are what the compiler warns about.
std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = velox::FormatStringV(format, args);
    va_end(args);
    return text;
}

struct Case {
    std::string text;
    const char* expected;
};

// Every conversion the programs use, as printf writes it.
TEST(TextFormatTest, WritesWhatPrintfWrites) {
    const Case cases[] = {
        {Format("%d %i %u", -42, 7, 4000000000u), "-42 7 4000000000"},
        {Format("%d", INT_MIN), "-2147483648"},
        {Format("%x %X %04X %02x %08X", 0xbeefu, 0xbeefu, 0xAu, 0x1FFu, 0u), "beef BEEF 000A 1ff 00000000"},
        {Format("%08lX %ld %lu", 0xC0000005ul, -5l, 7ul), "C0000005 -5 7"},
        {Format("%lld %zu %hu", -1234567890123ll, static_cast<std::size_t>(12), 70000u), "-1234567890123 12 4464"},
        {Format("[%5d][%-5d][%05d][%-05d]", 42, 42, -42, 42), "[   42][42   ][-0042][42   ]"},
        {Format("[%.3d][%6.3d][%.0d]", 7, -7, 0), "[007][  -007][]"},
        {Format("[%*d][%-*s]", 4, 1, 3, "a"), "[   1][a  ]"},
        {Format("[%s][%6s][%-6s][%.2s]", "abc", "abc", "abc", "abc"), "[abc][   abc][abc   ][ab]"},
        {Format("%c%c %% %2u.%2u", 'o', 'k', 1u, 5u), "ok %  1. 5"},
        {Format("%s", static_cast<const char*>(nullptr)), "(null)"},
        {Format("Version: %u.%2u.%2u", 1u, 2u, 30u), "Version: 1. 2.30"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.text, c.expected);
}

// What it does not know it writes as written, taking no argument; a
// lone '%' at the end stays.
TEST(TextFormatTest, CopiesConversionsItDoesNotKnow) {
    EXPECT_EQ(Format("%f|%p|%d|%", 5), "%f|%p|5|%");
}

TEST(TextFormatTest, BoundsTheBufferLikeSnprintf) {
    char buffer[6];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(velox::FormatText(buffer, sizeof buffer, "%s-%04X", "long", 0x12u), 9);
    EXPECT_STREQ(buffer, "long-");
    EXPECT_EQ(velox::FormatText(buffer, 0, "%d", 123), 3);
    EXPECT_EQ(buffer[0], 'l');  // size 0: nothing written
    EXPECT_EQ(velox::FormatText(buffer, 1, "%d", 123), 3);
    EXPECT_STREQ(buffer, "");
    // Longer than the string function's first attempt.
    const std::string wide = Format("%-300s|", "a");
    EXPECT_EQ(wide.size(), 301u);
    EXPECT_EQ(wide.back(), '|');
}

}  // namespace
