// The walk on Windows (under Wine): the rules of TreeWalk.h as Windows names them, and
// what Windows names differently. Links and the other program that swaps folders come
// from the Linux host (tests/support/WineHost.h).
#include "platform/core/WinFile.h"
#include "tests/support/TempTree.h"
#include "tests/support/WineHost.h"
#include "tests/walk/WalkerTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using Strings = std::vector<std::string>;

namespace {

struct Walked {
    Strings files, folders;
    std::string notRead;
};

Walked Walk(const std::string& root) {
    RecordingWalker w;
    w.Enumerate(CString(root), "*.*", true);
    return {Relative(root, w.files), Relative(root, w.done), w.FoldersNotRead().Summary()};
}

} // namespace

TEST(WindowsWalk, ReportsEveryEntryOnceWithBackslashesAndWalksEveryFolder) {
    TempDir tmp;
    MakeTree(tmp.path(), {{TreeEntry::File, "top.c"},
                          {TreeEntry::File, "a/one.h"},
                          {TreeEntry::File, "a/b/two.txt"},
                          {TreeEntry::File, "a/b/c/three.txt"},
                          {TreeEntry::Dir, "a/b/c/empty"},
                          {TreeEntry::File, "z/last"}});
    RecordingWalker w;
    w.Enumerate(CString(tmp.path()), "*.*", true);
    EXPECT_EQ(Relative(tmp.path(), w.files),
              (Strings{"a/b/c/three.txt", "a/b/two.txt", "a/one.h", "top.c", "z/last"}));
    EXPECT_EQ(Relative(tmp.path(), w.done), (Strings{"", "a", "a/b", "a/b/c", "a/b/c/empty", "z"}));
    for (const std::string& path : w.files)
        EXPECT_EQ(path.find('/'), std::string::npos) << path;
    EXPECT_EQ(w.events.back(), "D " + tmp.path());
}

// Junctions and symbolic links (here the host's links, which Wine shows as reparse points)
// are entries like files, counted by their own name and never walked into. A link to a
// file Wine shows as the file; a broken one it does not list at all.
TEST(WindowsWalk, LinksAreEntriesAndNeverWalkedInto) {
    ASSERT_TRUE(OnWine());
    TempDir tmp;
    MakeTree(tmp.path(), {{TreeEntry::File, "real/a.txt"},
                          {TreeEntry::Link, "via", "real"},
                          {TreeEntry::Link, "loop", "."},
                          {TreeEntry::Link, "real/up", ".."}});
    const Walked walked = Walk(tmp.path());
    EXPECT_EQ(walked.files, (Strings{"loop", "real/a.txt", "real/up", "via"}));
    EXPECT_EQ(walked.folders, (Strings{"", "real"}));
}

namespace {

// Wine gives a folder no reparse tag but a link's: a stand-in names them here.
DWORD TagsByName(std::wstring_view name) {
    if (name == L"placeholder.txt")
        return 0x9000601A; // a cloud placeholder (IO_REPARSE_TAG_CLOUD_6)
    if (name == L"dedup")
        return 0x80000013; // a deduplicated folder (IO_REPARSE_TAG_DEDUP)
    if (name == L"junction")
        return IO_REPARSE_TAG_MOUNT_POINT;
    if (name == L"symlink")
        return IO_REPARSE_TAG_SYMLINK;
    return 0;
}

} // namespace

// Only reparse points whose tag is a name surrogate are links. A cloud placeholder or a
// deduplicated folder is walked like any folder, so the one named like a file counts what
// it holds, never itself; a junction and a symbolic link are entries.
TEST(WindowsWalk, OnlyNameSurrogateReparsePointsAreLinks) {
    TempDir tmp;
    MakeTree(tmp.path(), {{TreeEntry::File, "placeholder.txt/in.txt"},
                          {TreeEntry::File, "dedup/d.bin"},
                          {TreeEntry::File, "junction/j.txt"},
                          {TreeEntry::File, "symlink/s.txt"}});
    SetReparseTagStandIn(TagsByName);
    const Walked walked = Walk(tmp.path());
    SetReparseTagStandIn(nullptr);
    EXPECT_EQ(walked.files,
              (Strings{"dedup/d.bin", "junction", "placeholder.txt/in.txt", "symlink"}));
    EXPECT_EQ(walked.folders, (Strings{"", "dedup", "placeholder.txt"}));
    EXPECT_EQ(walked.notRead, "");
}

// Names the system rewrites unless they are given in the \\?\ form, names beyond the
// basic plane, and paths far past the old 260-character limit all work.
TEST(WindowsWalk, AnyNameAndAnyLengthWorks) {
    TempDir tmp;
    const std::string deep = std::string(60, 'd') + "/" + std::string(60, 'e') + "/" +
                             std::string(60, 'f') + "/" + std::string(60, 'g') + "/" +
                             std::string(60, 'h');
    const Strings names = {"con/inside.txt",
                           "nul.txt",
                           "aux.tmp",
                           "dot.",
                           "space ",
                           "caf\xc3\xa9.txt",
                           "emoji\xf0\x9f\x98\x80.tmp",
                           deep + "/far.txt"};
    std::vector<TreeEntry> tree;
    for (const std::string& name : names)
        tree.push_back({TreeEntry::File, name});
    MakeTree(tmp.path(), tree);
    ASSERT_GT((tmp / deep).size(), 300u);
    const Walked walked = Walk(tmp.path());
    Strings expected = names;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(walked.files, expected);
    EXPECT_EQ(walked.notRead, "");
}

// Wine's recycle bin is the desktop trash of the host: a walk of the folder that holds it
// leaves it out, as the Linux walk does.
TEST(WindowsWalk, TheRecycleBinIsNotPartOfTheTree) {
    const char* data = std::getenv("XDG_DATA_HOME");
    ASSERT_TRUE(data && *data == '/') << "the tests run through scripts/wine-run.sh";
    const std::string root = "Z:" + Native(data);
    MakeTree(root, {{TreeEntry::File, "Trash/files/left-here.tmp"}, {TreeEntry::File, "kept.tmp"}});
    const Walked walked = Walk(root);
    for (const std::string& file : walked.files)
        EXPECT_NE(file.rfind("Trash/", 0), 0u) << file;
    EXPECT_NE(std::find(walked.files.begin(), walked.files.end(), "kept.tmp"), walked.files.end());
}

// Another program swaps a subfolder for a link to a folder outside, over and over, while
// the tree is walked again and again: a walk never reports what lies outside, whether it
// listed the link, or the folder, or found the folder changed when it came to open it.
TEST(WindowsWalk, ASubfolderSwappedForALinkIsNeverFollowed) {
    ASSERT_TRUE(OnWine());
    TempDir tmp;
    std::vector<TreeEntry> tree;
    for (int i = 0; i < 20; ++i) {
        tree.push_back({TreeEntry::File, "tree/sub/in-" + std::to_string(i) + ".txt"});
        tree.push_back({TreeEntry::File, "outside/out-" + std::to_string(i) + ".txt"});
    }
    MakeTree(tmp.path(), tree);
    const std::string root = tmp / "tree";
    const std::string stop = tmp / "stop", stopped = tmp / "stopped";
    // A tight loop of the host's own (perl is part of every Debian system): the folder is a
    // folder and a link in turn, thousands of times a second, until told to stop.
    ASSERT_TRUE(StartHost({"/usr/bin/perl", "-e",
                           "chdir $ARGV[0] or die; my $end = time + 60; "
                           "while (time < $end && !-e $ARGV[1]) { rename 'sub', 'real'; "
                           "symlink '../outside', 'sub'; unlink 'sub'; rename 'real', 'sub'; } "
                           "open my $f, '>', $ARGV[2];",
                           HostPath(root), HostPath(stop), HostPath(stopped)}));
    for (int round = 0; round < 150; ++round) {
        const Walked walked = Walk(root);
        for (const std::string& file : walked.files)
            EXPECT_EQ(file.find("out-"), std::string::npos) << "round " << round << ": " << file;
    }
    WriteFile(stop);
    EXPECT_TRUE(WaitUntil([&] { return Exists(stopped); }, 70));
}
