#include "analysis/ExtensionSizes.h"
#include "analysis/ExtensionStats.h"
#include "analysis/ResultRows.h"
#include "platform/core/PathSeparator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Row = std::tuple<std::string, std::string, std::string>; // Sr, Extension, Files Count

struct Counted {
    CMapStringToString counts{10};
    int total = 0;
};

// The cases write their paths with '/'; each platform counts them with its own separator.
Counted CountAll(const std::vector<std::string>& paths) {
    Counted c;
    for (std::string p : paths) {
        std::replace(p.begin(), p.end(), '/', kPathSeparator);
        CountFile(c.counts, c.total, p);
    }
    return c;
}

std::vector<Row> Table(const CMapStringToString& counts) {
    CResultRows rows;
    CString serial;
    BuildResultTable(counts, rows, serial);
    std::vector<Row> out;
    for (int i = 0; i < rows.GetItemCount(); ++i)
        out.emplace_back(rows.GetItemText(i, kColumnSerial).str(),
                         rows.GetItemText(i, kColumnExtension).str(),
                         rows.GetItemText(i, kColumnCount).str());
    return out;
}

struct TableCase {
    const char* name;
    std::vector<std::string> paths;
    std::vector<Row> rows;
};

class ResultTable : public ::testing::TestWithParam<TableCase> {};

} // namespace

TEST_P(ResultTable, CountsFilesByExtensionLargestFirst) {
    const TableCase& c = GetParam();
    const Counted counted = CountAll(c.paths);
    EXPECT_EQ(Table(counted.counts), c.rows);
    EXPECT_EQ(counted.total, static_cast<int>(c.paths.size()));
    int sum = 0;
    for (const Row& row : c.rows)
        sum += std::stoi(std::get<2>(row));
    EXPECT_EQ(sum, counted.total);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ResultTable,
    ::testing::Values(
        TableCase{"NoFiles", {}, {}},
        TableCase{"MixedSizes",
                  {"/d/a.c", "/d/b.c", "/d/s/c.c", "/d/x.h", "/d/1.txt", "/d/s/2.txt"},
                  {{"1", ".c", "3"}, {"2", ".txt", "2"}, {"3", ".h", "1"}}},
        TableCase{
            "CaseMakesTwoKeys", {"/d/x.TXT", "/d/y.txt"}, {{"1", ".TXT", "1"}, {"2", ".txt", "1"}}},
        TableCase{"NoExtensionIsTheEmptyKey",
                  {"/d/README", "/d/Makefile", "/d/a.b/file", "/d/report.final draft"},
                  {{"1", "", "4"}}},
        TableCase{"LastComponentLastDot",
                  {"/d/archive.tar.gz", "/d/.profile", "/d/my file.txt", "/d/.txt", "/d/name."},
                  {{"1", ".txt", "2"}, {"2", ".", "1"}, {"3", ".gz", "1"}, {"4", ".profile", "1"}}},
        TableCase{"RawBytesAndNewlines",
                  {"/d/\xff.\xfe\x80", "/d/new\nline.t\nx", "/d/z.\xfe\x80"},
                  {{"1", ".\xfe\x80", "2"}, {"2", ".t\nx", "1"}}}),
    [](const ::testing::TestParamInfo<TableCase>& info) { return info.param.name; });

TEST(CountFile, KeepsCountsAsDecimalTextAcrossDigitBoundaries) {
    Counted c;
    for (int i = 0; i < 12345; ++i)
        CountFile(c.counts, c.total, "/x/file.dat");
    CountFile(c.counts, c.total, "/x/other");
    CString value;
    ASSERT_TRUE(c.counts.Lookup(".dat", value));
    EXPECT_EQ(value, "12345");
    ASSERT_TRUE(c.counts.Lookup("", value));
    EXPECT_EQ(value, "1");
    EXPECT_EQ(c.total, 12346);
    EXPECT_EQ(c.counts.GetCount(), 2);

    // A count already at the top of the range stays there instead of wrapping.
    c.counts.SetAt(".dat", "2147483647");
    c.total = 2147483647;
    CountFile(c.counts, c.total, "/x/file.dat");
    ASSERT_TRUE(c.counts.Lookup(".dat", value));
    EXPECT_EQ(value, "2147483647");
    EXPECT_EQ(c.total, 2147483647);

    // A count text is read back the way atoi reads it.
    const std::pair<const char*, const char*> reread[] = {{" 7", "8"},
                                                          {"+3", "4"},
                                                          {"12abc", "13"},
                                                          {"", "1"},
                                                          {"-4", "-3"},
                                                          {"x", "1"},
                                                          {"007", "8"},
                                                          {"1999", "2000"},
                                                          {"0", "1"},
                                                          {"09", "10"},
                                                          {"999999999", "1000000000"},
                                                          {"2147483646", "2147483647"}};
    for (const auto& [stored, next] : reread) {
        c.counts.SetAt(".odd", stored);
        CountFile(c.counts, c.total, "/x/y.odd");
        ASSERT_TRUE(c.counts.Lookup(".odd", value));
        EXPECT_EQ(value, next) << "stored '" << stored << "'";
    }

    ResetStats(c.counts, c.total);
    EXPECT_TRUE(c.counts.IsEmpty());
    EXPECT_EQ(c.total, 0);
}

TEST(ResultTable, EqualCountsComeInTheSameOrderWhateverTheCountingOrder) {
    std::vector<std::string> paths;
    for (const char* ext : {".b", ".a", ".C", ".c", "", ".zz", ".\xff", ".A"})
        for (int i = 0; i < 3; ++i)
            paths.push_back(std::string("/t/f") + ext);
    paths.push_back("/t/one.big");
    paths.push_back("/t/two.big");
    paths.push_back("/t/three.big");
    paths.push_back("/t/four.big");

    const std::vector<Row> expected{{"1", ".big", "4"}, {"2", "", "3"},    {"3", ".A", "3"},
                                    {"4", ".C", "3"},   {"5", ".a", "3"},  {"6", ".b", "3"},
                                    {"7", ".c", "3"},   {"8", ".zz", "3"}, {"9", ".\xff", "3"}};
    std::mt19937 shuffle(7);
    for (int round = 0; round < 5; ++round) {
        std::shuffle(paths.begin(), paths.end(), shuffle);
        EXPECT_EQ(Table(CountAll(paths).counts), expected) << "round " << round;
    }
}

TEST(ResultTable, RowDataIsTheCountAndProvisionalSerialsArePositions) {
    const Counted counted = CountAll({"/a.x", "/b.x", "/c.y"});
    CResultRows rows;
    CString serial;
    AppendResultRows(counted.counts, rows, serial);
    ASSERT_EQ(rows.GetItemCount(), 2);
    EXPECT_EQ(rows.GetItemText(0, kColumnSerial), "0");
    EXPECT_EQ(rows.GetItemText(1, kColumnSerial), "1");
    EXPECT_EQ(rows.Rows()[0].data, 2); // .x before .y in byte order
    EXPECT_EQ(rows.Rows()[1].data, 1);
    EXPECT_EQ(serial, "1");
}

// The table's extension is the counting map's key itself, not a copy of it: however long
// the keys, each is held once.
TEST(ResultTable, TheExtensionOfARowIsTheKeyOfTheMapNotACopy) {
    const std::string longKey = "." + std::string(252, 'k');
    const Counted counted = CountAll({"/a" + longKey, "/b.x", "/c" + longKey});
    CResultRows rows;
    CString serial;
    BuildResultTable(counted.counts, rows, serial);
    ASSERT_EQ(rows.GetItemCount(), 2);
    ASSERT_EQ(rows.GetItemText(0, kColumnExtension).str(), longKey);
    const auto entry = std::find_if(counted.counts.begin(), counted.counts.end(),
                                    [&](const auto& e) { return e.first.view() == longKey; });
    ASSERT_NE(entry, counted.counts.end());
    EXPECT_TRUE(rows.GetItemText(0, kColumnExtension).SharesBytesWith(entry->first));
}

TEST(CompareByFileCount, PutsLargerCountsFirst) {
    EXPECT_EQ(CompareByFileCount(3, 5, 0), 2);
    EXPECT_EQ(CompareByFileCount(5, 3, 99), -2);
    EXPECT_EQ(CompareByFileCount(4, 4, 0), 0);
    EXPECT_LT(CompareByFileCount(0, -2147483647LL - 1, 0), 0);
    EXPECT_GT(CompareByFileCount(-2147483647LL - 1, 2147483647, 0), 0);
}

TEST(CResultRows, InsertsAtAPositionSortsStablyAndReadsBackExactBytes) {
    CResultRows rows;
    EXPECT_EQ(rows.InsertItem(0, "b"), 0);
    EXPECT_EQ(rows.InsertItem(0, "a"), 0);
    EXPECT_EQ(rows.InsertItem(7, "d"), 2);
    EXPECT_EQ(rows.InsertItem(2, "c"), 2);
    EXPECT_EQ(rows.InsertItem(-1, "x"), -1);
    ASSERT_EQ(rows.GetItemCount(), 4);
    const std::string odd("\xff\0\n", 3);
    EXPECT_TRUE(rows.SetItemText(3, 2, CString(odd)));
    EXPECT_EQ(rows.GetItemText(3, 2).str(), odd);
    EXPECT_FALSE(rows.SetItemText(4, 0, "x"));
    EXPECT_FALSE(rows.SetItemText(0, CResultRows::kColumns, "x"));
    EXPECT_FALSE(rows.SetItemData(-1, 1));
    EXPECT_EQ(rows.GetItemText(9, 0), "");
    EXPECT_EQ(rows.GetItemText(0, -1), "");

    // a:1 b:2 c:1 d:2 -> larger first, ties in their previous order.
    const LPARAM data[] = {1, 2, 1, 2};
    for (int i = 0; i < 4; ++i)
        rows.SetItemData(i, data[i]);
    EXPECT_TRUE(rows.SortItems(CompareByFileCount, 0));
    std::string order;
    for (int i = 0; i < 4; ++i)
        order += rows.GetItemText(i, 0).str();
    EXPECT_EQ(order, "bdac");
    EXPECT_FALSE(rows.SortItems(nullptr, 0));
}

// ---- Sizes and the order of the table ----

namespace {

struct Sized {
    CMapStringToString counts{10};
    int total = 0;
    CExtensionSizes sizes;
};

// path -> size (nullopt: could not be examined).
Sized CountSized(const std::vector<std::pair<std::string, std::optional<std::uint64_t>>>& files) {
    Sized s;
    for (auto [p, size] : files) {
        std::replace(p.begin(), p.end(), '/', kPathSeparator);
        CountFileAndSize(s.counts, s.total, s.sizes, p, size);
    }
    return s;
}

// The column's texts from the top, joined with '|'.
std::string Column(const CResultRows& rows, int column) {
    std::string out;
    for (int i = 0; i < rows.GetItemCount(); ++i) {
        if (i > 0)
            out += '|';
        out += rows.GetItemText(i, column).view();
    }
    return out;
}

} // namespace

TEST(ExtensionSizes, AddUpPerExtensionAndSayAtLeastWhereASizeIsUnknown) {
    const std::string longKey = "." + std::string(40, 'k');
    Sized s = CountSized({{"/a.img", 1536},
                          {"/b.img", 1048576},
                          {"/c.txt", 0},
                          {"/d.txt", 1},
                          {"/e.log", 100},
                          {"/f.log", std::nullopt},
                          {"/g" + longKey, 5},
                          {"/h" + longKey, 7}});
    CResultRows rows;
    CString serial;
    BuildResultTable(s.counts, rows, serial);
    FillSizeColumn(s.sizes, rows, SizeWriting::Readable);
    EXPECT_EQ(Column(rows, kColumnExtension), ".img|" + longKey + "|.log|.txt");
    EXPECT_EQ(Column(rows, kColumnSize), "1.0 MB|12 bytes|at least 100 bytes|1 byte");
    FillSizeColumn(s.sizes, rows, SizeWriting::Bytes);
    EXPECT_EQ(Column(rows, kColumnSize), "1050112|12|at least 100|1");

    EXPECT_EQ(SizeDetails(*s.sizes.Find(".img")), "1,050,112 bytes");
    EXPECT_EQ(SizeDetails(*s.sizes.Find(".txt")), "1 byte");
    EXPECT_EQ(SizeDetails(*s.sizes.Find(".log")),
              "at least 100 bytes (1 file could not be examined)");
    EXPECT_EQ(s.sizes.Total().bytes, 1050225u);
    EXPECT_EQ(s.sizes.Total().unknown, 1u);
    EXPECT_EQ(s.total, 8);
    EXPECT_EQ(s.sizes.Find(".none"), nullptr);

    // A sum past the largest number stops there.
    SizeTotal huge;
    huge.Add(~std::uint64_t{0} - 1);
    huge.Add(5);
    EXPECT_EQ(huge.bytes, ~std::uint64_t{0});
    s.sizes.Clear();
    EXPECT_EQ(s.sizes.Total().bytes, 0u);
    EXPECT_EQ(s.sizes.Find(".img"), nullptr);
}

// Each column's header clicked once from a fresh table, then again: the first direction,
// then exactly the reverse. Ties (equal counts, equal sizes) come in serial order.
TEST(ResultTable, SortsByEachColumnAndAgainReverses) {
    const Sized s = CountSized({{"/1.b", 10},
                                {"/2.b", 10},
                                {"/3.b", 10},
                                {"/1.a", 500},
                                {"/2.a", 0},
                                {"/1.c", 20},
                                {"/2.c", std::nullopt},
                                {"/1.d", 20}});
    struct Case {
        int column;
        const char* first;
        const char* again;
    };
    // Fresh: .b (3), .a (2), .c (2), .d (1); sizes .a 500, .b 30, .c at least 20, .d 20
    // ("at least" above the same bytes).
    const Case cases[] = {
        {kColumnSerial, ".d|.c|.a|.b", ".b|.a|.c|.d"},
        {kColumnExtension, ".a|.b|.c|.d", ".d|.c|.b|.a"},
        {kColumnCount, ".d|.c|.a|.b", ".b|.a|.c|.d"},
        {kColumnSize, ".a|.b|.c|.d", ".d|.c|.b|.a"},
    };
    for (const Case& c : cases) {
        CResultRows rows;
        CString serial;
        BuildResultTable(s.counts, rows, serial);
        FillSizeColumn(s.sizes, rows, SizeWriting::Bytes);
        ASSERT_EQ(Column(rows, kColumnExtension), ".b|.a|.c|.d");
        TableOrder order;
        for (const char* expected : {c.first, c.again}) {
            order = NextOrder(order, c.column);
            SortResultRowsBy(rows, order, &s.sizes);
            EXPECT_EQ(Column(rows, kColumnExtension), expected) << "column " << c.column;
        }
        // Rows carry their cells and keep their count as data.
        for (int i = 0; i < rows.GetItemCount(); ++i) {
            EXPECT_EQ(std::to_string(rows.GetItemData(i)), rows.GetItemText(i, kColumnCount).str());
            EXPECT_EQ(rows.GetItemText(i, kColumnSize).str(),
                      SizeText(*s.sizes.Find(rows.GetItemText(i, kColumnExtension).view()),
                               SizeWriting::Bytes));
        }
    }
}
