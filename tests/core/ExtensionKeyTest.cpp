#include "platform/core/ExtensionKey.h"

#include <gtest/gtest.h>

struct KeyCase {
    const char* path;
    const char* key;
};

class ExtensionKeyRule : public ::testing::TestWithParam<KeyCase> {};

TEST_P(ExtensionKeyRule, FollowsTheLastDotOfTheLastComponent) {
    EXPECT_EQ(ExtensionKey(GetParam().path), GetParam().key) << "path: " << GetParam().path;
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

TEST(ExtensionKey, IsASuffixViewOfThePath) {
    const std::string path = "/some/dir/photo.jpg";
    const std::string_view key = ExtensionKey(path);
    EXPECT_EQ(key.data() + key.size(), path.data() + path.size());
    EXPECT_EQ(ExtensionKeyOf(CString(path)), ".jpg");
}
