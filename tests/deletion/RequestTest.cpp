#include "deletion/FileOperation.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Bytes(const std::vector<char>& buffer, std::size_t n) {
    return std::string(buffer.data(), n);
}

class FakeWindow : public CWnd {
public:
    explicit FakeWindow(HWND handle) { m_hWnd = handle; }
};

HWND FakeHandle() {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x5a10));
}

TEST(PathList, ElementsEachEndInNulAndTheListInTwo) {
    CStringArray paths;
    paths.Add("/d/a.tmp");
    paths.Add("/d/s/b.tmp");
    const std::vector<char> list = BuildPathList(paths);
    EXPECT_EQ(Bytes(list, 21), std::string("/d/a.tmp\0/d/s/b.tmp\0\0", 21));
    EXPECT_GE(list.size(), kMinPathListBuffer);
}

TEST(PathList, EmptyArrayGivesAnEmptyListInAFullSizeBuffer) {
    const std::vector<char> list = BuildPathList(CStringArray());
    ASSERT_GE(list.size(), kMinPathListBuffer);
    EXPECT_EQ(list[0], '\0');
    EXPECT_TRUE(SplitPathList(list.data()).empty());
}

TEST(PathList, LongListKeepsItsFullLengthAndReadsBackUnchanged) {
    CStringArray paths;
    std::vector<std::string> expected;
    for (int i = 0; i < 40; ++i) {
        // Bytes that are not UTF-8 and spaces pass through unchanged.
        expected.push_back("/tmp/folder " + std::to_string(i) + "/\xff\xfe name.txt");
        paths.Add(CString(expected.back()));
    }
    const std::vector<char> list = BuildPathList(paths);
    EXPECT_GT(list.size(), kMinPathListBuffer);
    EXPECT_EQ(SplitPathList(list.data()), expected);
}

TEST(DeleteRequest, CarriesDeleteWithUndoTheListsAndTheTitle) {
    CFileOperation op;
    op.m_arrSource.Add("/d/a.tmp");
    op.m_arrSource.Add("/d/s/b.tmp");
    CDeleteRequest request(op);
    const SHFILEOPSTRUCTA& r = request.Request();

    EXPECT_EQ(r.wFunc, FO_DELETE);
    EXPECT_EQ(r.fFlags, FOF_ALLOWUNDO);
    EXPECT_EQ(r.pFrom, request.SourceList().data());
    EXPECT_EQ(std::string(r.pFrom, 21), std::string("/d/a.tmp\0/d/s/b.tmp\0\0", 21));
    ASSERT_NE(r.pTo, nullptr);
    EXPECT_EQ(r.pTo[0], '\0');
    EXPECT_GE(request.DestinationList().size(), kMinPathListBuffer);
    EXPECT_STREQ(r.lpszProgressTitle, "Deleting Files");
    EXPECT_EQ(r.fAnyOperationsAborted, 0);
    EXPECT_EQ(r.hNameMappings, nullptr);
    EXPECT_EQ(r.hwnd, nullptr);
}

TEST(DeleteRequest, EmptyBatchStillGivesAWellFormedRequest) {
    CFileOperation op;
    CDeleteRequest request(op);
    EXPECT_EQ(request.Request().pFrom[0], '\0');
    EXPECT_EQ(request.Request().pTo[0], '\0');
    EXPECT_EQ(request.Request().wFunc, FO_DELETE);
}

TEST(DeleteRequest, CarriesTheOwnersHandleOnlyWhenThereIsOne) {
    FakeWindow withWindow(FakeHandle());
    FakeWindow notCreated(nullptr);
    struct Case {
        CWnd* owner;
        HWND expected;
    } cases[] = {{&withWindow, FakeHandle()}, {&notCreated, nullptr}, {nullptr, nullptr}};
    for (const Case& c : cases) {
        CFileOperation op;
        op.m_pOwner = c.owner;
        CDeleteRequest request(op);
        EXPECT_EQ(request.Request().hwnd, c.expected);
    }
}

} // namespace
