// The conversions at the boundary of Windows' wide calls.
#include "platform/core/WideText.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

struct WideCase {
    const char* what;
    std::wstring wide;
    std::string bytes;
};

class WideTextRoundTrip : public ::testing::TestWithParam<WideCase> {};

// Every name the system can give survives the way to bytes and back, unpaired surrogates
// included (WTF-8), so a file found can always be named to the system again.
TEST_P(WideTextRoundTrip, NamesComeBackUnitForUnit) {
    const WideCase& c = GetParam();
    EXPECT_EQ(Utf8FromWide(c.wide), c.bytes) << c.what;
    EXPECT_EQ(WideFromUtf8(c.bytes), c.wide) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Names, WideTextRoundTrip,
    ::testing::Values(
        WideCase{"ascii", L"a.txt", "a.txt"},
        WideCase{"two and three bytes", L"caf\u00e9 \u20ac", "caf\xc3\xa9 \xe2\x82\xac"},
        WideCase{"a pair", std::wstring{L'x', 0xD83D, 0xDE00}, "x\xf0\x9f\x98\x80"},
        WideCase{"lone high", std::wstring{L'a', 0xD800, L'b'},
                 "a\xed\xa0\x80"
                 "b"},
        WideCase{"lone low at the end", std::wstring{L'a', 0xDFFF}, "a\xed\xbf\xbf"},
        WideCase{"low before high", std::wstring{0xDC00, 0xD800}, "\xed\xb0\x80\xed\xa0\x80"},
        WideCase{"embedded NUL", std::wstring(L"a\0b", 3), std::string("a\0b", 3)}),
    [](const auto& info) {
        std::string name;
        for (const char ch : std::string(info.param.what))
            name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        return name;
    });

TEST(WideText, BytesThatAreNoTextBecomeOneReplacementEach) {
    // A stray continuation byte, a lead byte cut short, an overlong '/', a value past
    // U+10FFFF.
    EXPECT_EQ(WideFromUtf8("a\x80z"), L"a\uFFFDz");
    EXPECT_EQ(WideFromUtf8("a\xe2\x82"), L"a\uFFFD\uFFFD");
    EXPECT_EQ(WideFromUtf8("\xc0\xaf"), L"\uFFFD\uFFFD");
    EXPECT_EQ(WideFromUtf8("\xf4\x90\x80\x80"), L"\uFFFD\uFFFD\uFFFD\uFFFD");
}

TEST(WideText, LongPathTakesThePrefixThatLiftsThePathLimit) {
    EXPECT_EQ(LongPath("C:\\d\\nul.txt"), LR"(\\?\C:\d\nul.txt)");
    EXPECT_EQ(LongPath(R"(\\server\share\a)"), LR"(\\?\UNC\server\share\a)");
    EXPECT_EQ(LongPath(R"(\\?\C:\already)"), LR"(\\?\C:\already)");
    EXPECT_EQ(LongPath("C:/d/trash/info"), LR"(\\?\C:\d\trash\info)");
    // Relative: against the current directory, with '/' turned into '\'.
    const std::wstring made = LongPath("sub/file.txt");
    EXPECT_TRUE(made.starts_with(LR"(\\?\)")) << Utf8FromWide(made);
    EXPECT_TRUE(made.ends_with(LR"(\sub\file.txt)")) << Utf8FromWide(made);
}
