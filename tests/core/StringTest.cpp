#include "platform/core/String.h"
#include "platform/core/Collections.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

using namespace std::string_literals;

TEST(CString, HoldsNulBytesAndCountsThem) {
    CString s("a\0b"s);
    EXPECT_EQ(s.GetLength(), 3);
    s += '\0';
    EXPECT_EQ(s.str(), "a\0b\0"s);
    EXPECT_NE(s, CString("a"));
}

TEST(CString, FormatsDecimalAndText) {
    CString s;
    s.Format("%d", -42);
    EXPECT_EQ(s, "-42");
    s.Format("Are you sure you wish to delete %s files in %s ?", ".txt", "/tmp/x");
    EXPECT_EQ(s, "Are you sure you wish to delete .txt files in /tmp/x ?");
    const std::string big(1000, 'x');
    s.Format("[%s]", big.c_str());
    EXPECT_EQ(s.str(), "[" + big + "]");
}

// Copies share their bytes until one of them changes, whichever way it changes; the
// others keep theirs.
TEST(CString, ACopyThatChangesLeavesTheOthersAsTheyWere) {
    const std::string text(40, 'a');
    const std::vector<std::pair<const char*, std::function<void(CString&)>>> changes{
        {"+=", [](CString& s) { s += "b"; }},
        {"AppendChar", [](CString& s) { s.AppendChar('\0'); }},
        {"Truncate", [](CString& s) { s.Truncate(3); }},
        {"Format", [](CString& s) { s.Format("%d", 7); }},
        {"SetString", [](CString& s) { s.SetString("xyz", 3); }},
        {"Empty", [](CString& s) { s.Empty(); }},
        {"assigned", [](CString& s) { s = CString("other"); }},
    };
    for (const auto& [name, change] : changes) {
        const CString original(text);
        CString copy = original;
        CString third = copy;
        EXPECT_TRUE(copy.SharesBytesWith(original)) << name;
        change(copy);
        EXPECT_EQ(original.str(), text) << name;
        EXPECT_EQ(third.str(), text) << name;
        EXPECT_FALSE(copy.SharesBytesWith(original)) << name;
    }
}

// Growing a byte at a time past the few bytes kept inside the object, cutting back, and
// appending a text's own bytes to itself give what a std::string gives.
TEST(CString, GrowsShrinksAndAppendsItselfLikeAStdString) {
    CString s;
    std::string expected;
    for (int i = 0; i < 300; ++i) {
        s.AppendChar(static_cast<char>(i));
        expected += static_cast<char>(i);
        ASSERT_EQ(s.str(), expected) << i;
        ASSERT_EQ(s.GetString()[s.GetLength()], '\0') << i;
    }
    for (const std::size_t length : {200u, 7u, 6u, 2u, 0u}) {
        s.Truncate(length);
        expected.resize(length);
        EXPECT_EQ(s.str(), expected) << length;
        s.Append(s.GetString(), s.size());
        expected += expected;
        EXPECT_EQ(s.str(), expected) << length;
        s.SetString(s.GetString() + 1, s.size() ? s.size() - 1 : 0);
        expected = expected.empty() ? expected : expected.substr(1);
        EXPECT_EQ(s.str(), expected) << length;
    }
}

TEST(CString, CompareIsExactAndCompareNoCaseFoldsAsciiOnly) {
    EXPECT_NE(CString(".TXT").Compare(".txt"), 0);
    EXPECT_EQ(CString(".TXT").CompareNoCase(".txt"), 0);
    EXPECT_LT(CString("abc").CompareNoCase("ABD"), 0);
    EXPECT_LT(CString("ab").CompareNoCase("ABc"), 0);
    // Bytes above ASCII are not folded: \xC3\x84 is not \xC3\xA4.
    EXPECT_NE(CString("\xC3\x84").CompareNoCase("\xC3\xA4"), 0);
}

TEST(CStringArray, SetAtGrowFillsTheGapWithEmptyTexts) {
    CStringArray arr;
    arr.Add("first");
    arr.SetAtGrow(3, "fourth");
    ASSERT_EQ(arr.GetSize(), 4);
    EXPECT_EQ(arr[0], "first");
    EXPECT_TRUE(arr[1].IsEmpty());
    EXPECT_EQ(arr[3], "fourth");
    arr.RemoveAll();
    EXPECT_TRUE(arr.IsEmpty());
}

TEST(CMapStringToString, ExactKeysLookupReplaceAndRemoveAll) {
    CMapStringToString map(10);
    CString value;
    EXPECT_FALSE(map.Lookup(".txt", value));
    map.SetAt(".txt", "1");
    map.SetAt(".TXT", "5");
    map.SetAt("", "7");
    map.SetAt(".txt", "2");
    EXPECT_EQ(map.GetCount(), 3);
    ASSERT_TRUE(map.Lookup(".txt", value));
    EXPECT_EQ(value, "2");
    ASSERT_TRUE(map.Lookup(".TXT", value));
    EXPECT_EQ(value, "5");
    ASSERT_TRUE(map.Lookup("", value));
    EXPECT_EQ(value, "7");

    int visited = 0;
    for (const auto& [key, val] : map) {
        CString stored;
        EXPECT_TRUE(map.Lookup(key.view(), stored));
        EXPECT_EQ(stored, val);
        ++visited;
    }
    EXPECT_EQ(visited, 3);

    map.RemoveAll();
    EXPECT_TRUE(map.IsEmpty());
    EXPECT_FALSE(map.Lookup(".txt", value));
}

// The non-const PLookup remembers where short keys were found: what it remembers must
// never outlive the entries, nor pass to a copy, nor mix keys that share their bytes.
TEST(CMapStringToString, PLookupFindsTheKeysOwnValueAfterRemoveAllCopyAndMove) {
    const std::string keys[] = {"",        ".",        ".a",        ".a\0"s,
                                ".\0"s,    ".txt",     ".tx",       ".json",
                                ".abcdef", ".abcdefg", ".abcdefgh", "\xff\xff\xff\xff\xff\xff\xff"};
    const auto fill = [&](CMapStringToString& map, const std::string& tag) {
        for (std::size_t i = 0; i < std::size(keys); ++i)
            map.SetAt(keys[i], CString(tag + std::to_string(i)));
    };
    const auto expect = [&](CMapStringToString& map, const std::string& tag) {
        for (int round = 0; round < 2; ++round)
            for (std::size_t i = 0; i < std::size(keys); ++i) {
                const CString* value = map.PLookup(keys[i]);
                ASSERT_NE(value, nullptr) << i;
                EXPECT_EQ(*value, CString(tag + std::to_string(i))) << i;
            }
        EXPECT_EQ(map.PLookup(".js"), nullptr);
        EXPECT_EQ(map.PLookup(".a\0\0"s), nullptr);
    };
    CMapStringToString map;
    fill(map, "a");
    expect(map, "a");

    CMapStringToString copy = map;
    fill(copy, "b");
    expect(copy, "b");
    expect(map, "a");
    copy = map;
    expect(copy, "a");

    map.RemoveAll();
    for (const std::string& key : keys)
        EXPECT_EQ(map.PLookup(key), nullptr);
    fill(map, "c");
    expect(map, "c");

    CMapStringToString moved = std::move(map);
    expect(moved, "c");
    copy = std::move(moved);
    expect(copy, "c");
}

TEST(CMapStringToString, KeysMayHoldNulAndNonUtf8Bytes) {
    CMapStringToString map;
    map.SetAt(".a\0b"s, "1");
    map.SetAt(".\xff", "2");
    CString value;
    EXPECT_FALSE(map.Lookup(".a", value));
    ASSERT_TRUE(map.Lookup(".a\0b"s, value));
    EXPECT_EQ(value, "1");
    ASSERT_TRUE(map.Lookup(".\xff", value));
    EXPECT_EQ(value, "2");
}
