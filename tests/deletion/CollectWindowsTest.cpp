// The collection on Windows (under Wine): the files of one extension, in the count's walk
// order, each with the record the recycle-bin executor checks before it moves the file.
#include "deletion/CollectFiles.h"
#include "platform/core/WideText.h"
#include "platform/core/WinFile.h"
#include "tests/support/TempTree.h"
#include "tests/support/WineHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(WindowsCollection, RecordsEachFileAndItsFoldersAsTheSystemNamesThem) {
    ASSERT_TRUE(OnWine());
    TempDir tmp;
    MakeTree(tmp.path(), {{TreeEntry::File, "a.tmp"},
                          {TreeEntry::File, "keep.txt"},
                          {TreeEntry::File, "s/b.tmp"},
                          {TreeEntry::File, "s/t/c.tmp"},
                          {TreeEntry::Dir, "s/folder.tmp"},
                          {TreeEntry::Link, "s/link.tmp", "t"}});
    CFileOperation op;
    CollectFilesWithExtension(op, ".tmp", CString(tmp.path()));

    // Folders are searched, never collected; the link to a folder goes as itself.
    std::vector<std::string> collected;
    for (const CString& path : op.m_arrSource)
        collected.push_back(path.str());
    std::sort(collected.begin(), collected.end());
    EXPECT_EQ(collected, (std::vector<std::string>{tmp / "a.tmp", tmp / "s/b.tmp",
                                                   tmp / "s/link.tmp", tmp / "s/t/c.tmp"}));

    const CFileBatch& batch = op.m_batch;
    ASSERT_EQ(batch.files.size(), static_cast<std::size_t>(op.m_arrSource.GetSize()));
    EXPECT_EQ(batch.root, tmp.path());
    for (std::size_t i = 0; i < batch.files.size(); ++i) {
        // Each record names the very file: its folders' names lead to it, and its volume and
        // index are the ones the system gives for the path.
        const BatchFile& file = batch.files[i];
        std::string path = file.name;
        for (std::uint32_t f = file.folder; f != 0; f = batch.folders[f].parent)
            path = batch.folders[f].name + "\\" + path;
        EXPECT_EQ(tmp / Native(path), op.m_arrSource[static_cast<int>(i)].str());
        WinFileInfo info;
        const CWinHandle handle = OpenToLook(LongPath(op.m_arrSource[static_cast<int>(i)].str()));
        ASSERT_TRUE(handle && QueryInfo(handle.Get(), info));
        EXPECT_EQ(file.dev, info.volume) << path;
        EXPECT_EQ(file.ino, info.index) << path;
    }
}
