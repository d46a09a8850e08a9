#include "walk/MatchFileExtension.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct MatchCase {
    const char* name;
    const char* patterns;
    bool matches;
};

class MatchFileExtension : public ::testing::TestWithParam<MatchCase> {};

} // namespace

TEST_P(MatchFileExtension, DecidesByTheTextAfterTheLastDot) {
    const MatchCase& c = GetParam();
    CMatchFileExtension matcher;
    EXPECT_EQ(matcher.Match(c.name, c.patterns), c.matches)
        << "name '" << c.name << "' patterns '" << c.patterns << "'";
}

const MatchCase kMatchCases[] = {
    {"anything.bin", "*.*", true},
    {"anything.bin", "*.txt,*.log,*.*", true}, // "*.*" anywhere in the list
    {"noext", "*.*", true},
    {"notes.txt", "*.TXT", true},
    {"notes.txt", "txt", true}, // both reduce to txt
    {"notes.txt", "", false},
    {"notes.txt", ",,,,", false},
    {"a.log", "*.txt, *.log", true}, // the space is dropped with the text before the dot
    {"a.log", "txt, log", false},    // no dot: the space stays
    {"a.bin", "*.txt, *.*", false},  // " *.*" is not "*.*" and reduces to "*"
    {"a.log", ",,*.txt,,,*.log,", true},
    {"readme", "README", true}, // no dot: compared as a whole
    {"archive.tar.gz", "*.gz", true},
    {"archive.tar.gz", "*.tar.gz", true},
    {"photo.gz", "*.tar.gz", true},
    {"photo.gz", "*.tar", false},
    {"/rel1.2/readme", "*.2/README", true}, // the dot search crosses separators
    {"/dir/readme", "README", false},
    {"/dir/readme", "/DIR/README", true},
    {"name.", "*.", true},
    {"name.", "*.txt", false},
    {"caf\xc3\xa9.TXT", "*.txt", true},
    {"x.\xc3\x89", "*.\xc3\xa9", false}, // only ASCII letters are folded
};

INSTANTIATE_TEST_SUITE_P(Lists, MatchFileExtension, ::testing::ValuesIn(kMatchCases),
                         [](const ::testing::TestParamInfo<MatchCase>& info) {
                             return "Case" + std::to_string(info.index);
                         });

TEST(MatchFileExtensionSplit, KeepsThePatternsInOrderWithSpaces) {
    CMatchFileExtension matcher;
    EXPECT_FALSE(matcher.Match("a.zip", ",*.txt,, *.log ,x,"));
    ASSERT_EQ(matcher.m_arrPatterns.GetSize(), 3);
    EXPECT_EQ(matcher.m_arrPatterns[0], "*.txt");
    EXPECT_EQ(matcher.m_arrPatterns[1], " *.log ");
    EXPECT_EQ(matcher.m_arrPatterns[2], "x");
    // The next call starts from its own list only.
    EXPECT_TRUE(matcher.Match("a.zip", "*.zip"));
    ASSERT_EQ(matcher.m_arrPatterns.GetSize(), 1);
}

TEST(MatchFileExtensionSplit, DoesNotDisturbAnotherSplitInProgress) {
    char outer[] = "one,two,three";
    std::string seen = std::strtok(outer, ",");
    CMatchFileExtension matcher;
    EXPECT_TRUE(matcher.Match("a.log", "*.txt,*.log"));
    for (const char* piece = std::strtok(nullptr, ","); piece; piece = std::strtok(nullptr, ","))
        seen += std::string("|") + piece;
    EXPECT_EQ(seen, "one|two|three");
}

TEST(MatchFileExtensionLongList, UsesTheFirst1023BytesAndWritesNothingPastTheBuffer) {
    // 5000 bytes: patterns that never match, one cut at byte 1023, and further patterns
    // past the cut that would match if they took part.
    std::string list = "*.no" + std::string(1013, ',');
    list += "*.abcdefgh"; // bytes 1017..1026: the cut leaves "*.abcd"
    while (list.size() < 5000)
        list += ",*.zip,*.*";
    list.resize(5000);

    CMatchFileExtension matcher;
    matcher.m_strPattern = "untouched";
    EXPECT_FALSE(matcher.Match("a.zip", CString(list)));
    EXPECT_FALSE(matcher.Match("a.abcdefgh", CString(list)));
    EXPECT_TRUE(matcher.Match("a.abcd", CString(list)));
    EXPECT_EQ(matcher.m_arrPatterns[matcher.m_arrPatterns.GetUpperBound()], "*.abcd");
    EXPECT_EQ(matcher.m_szPatternBuffer[CMatchFileExtension::kPatternBufferSize - 1], '\0');
    EXPECT_EQ(std::strlen(matcher.m_szPatternBuffer), 1023u);

    // A list of exactly 1023 bytes is taken whole.
    std::string fits(1018, ',');
    fits += "*.zip";
    ASSERT_EQ(fits.size(), 1023u);
    EXPECT_TRUE(matcher.Match("a.zip", CString(fits)));
}

TEST(MatchFileExtensionList, EndsAtANulByte) {
    CMatchFileExtension matcher;
    const std::string list("*.txt\0*.log", 11);
    EXPECT_TRUE(matcher.Match("a.txt", CString(list)));
    EXPECT_FALSE(matcher.Match("a.log", CString(list)));
}

TEST(GetExtension, IsTheTextAfterTheLastDotAnywhere) {
    EXPECT_EQ(CMatchFileExtension::GetExtension("archive.tar.gz"), "gz");
    EXPECT_EQ(CMatchFileExtension::GetExtension("readme"), "readme");
    EXPECT_EQ(CMatchFileExtension::GetExtension("/rel1.2/readme"), "2/readme");
    EXPECT_EQ(CMatchFileExtension::GetExtension("name."), "");
    EXPECT_EQ(CMatchFileExtension::GetExtension(""), "");
}
