#include "platform/core/ExtensionKey.h"
#include "platform/core/PathSeparator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

// The cases are written with '/'; each platform reads them with its own separator.
std::string Native(std::string path) {
    std::replace(path.begin(), path.end(), '/', kPathSeparator);
    return path;
}

// The separator of the other platform, an ordinary byte here.
constexpr char kOtherSeparator = kPathSeparator == '/' ? '\\' : '/';

} // namespace

struct KeyCase {
    std::string path;
    std::string key;
};

class ExtensionKeyRule : public ::testing::TestWithParam<KeyCase> {};

TEST_P(ExtensionKeyRule, FollowsTheLastDotOfTheLastComponent) {
    const std::string path = Native(GetParam().path);
    EXPECT_EQ(ExtensionKey(path), Native(GetParam().key)) << "path: " << path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ExtensionKeyRule,
    ::testing::Values(KeyCase{"/d/archive.tar.gz", ".gz"}, KeyCase{"/d/.profile", ".profile"},
                      KeyCase{"/a.b/file", ""}, KeyCase{"/d/report.final draft", ""},
                      KeyCase{"/d/my file.txt", ".txt"}, KeyCase{"/d/README", ""},
                      KeyCase{"/d/x.TXT", ".TXT"}, KeyCase{"/d/name.", "."},
                      KeyCase{"/d/.txt", ".txt"}, KeyCase{"", ""}, KeyCase{"/", ""},
                      KeyCase{"plain.c", ".c"}, KeyCase{"/d/caf\xc3\xa9.\xff\xfe", ".\xff\xfe"},
                      KeyCase{"/d/line\nbreak.t\nxt", ".t\nxt"}, KeyCase{"/d/a..b", ".b"}));

TEST(ExtensionKey, TheOtherPlatformsSeparatorIsAnOrdinaryByte) {
    const std::string path = Native("/d/x.a") + kOtherSeparator + "b";
    EXPECT_EQ(ExtensionKey(path), std::string(".a") + kOtherSeparator + "b");
}

TEST(ExtensionKey, IsASuffixViewOfThePath) {
    const std::string path = Native("/some/dir/photo.jpg");
    const std::string_view key = ExtensionKey(path);
    EXPECT_EQ(key.data() + key.size(), path.data() + path.size());
    EXPECT_EQ(ExtensionKeyOf(CString(path)), ".jpg");
}
