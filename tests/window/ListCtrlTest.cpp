// The list view's contract: rows stay where they are put, sorting by row data, selection
// walked in list order, cell texts read back byte for byte, header widths.
#include "tests/ui/UiTestSupport.h"

#include "platform/window/ListCtrl.h"
#include "platform/window/Styles.h"

#include <QAbstractItemModel>
#include <QTreeView>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

int RZ_CALLBACK Descending(LPARAM a, LPARAM b, LPARAM) {
    return static_cast<int>(b - a);
}

class ListContract : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(list.Create(LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER, CRect(0, 0, 300, 200),
                                nullptr, 1005));
        list.InsertColumn(0, "Sr", LVCFMT_LEFT, 30);
        list.InsertColumn(1, "Extension", LVCFMT_LEFT, 125);
        list.InsertColumn(2, "Files Count", LVCFMT_CENTER, 125);
    }

    // Appends rows (text, data) and returns the texts of column 1 in list order.
    void Append(const std::vector<std::pair<const char*, LPARAM>>& rows) {
        for (const auto& [text, data] : rows) {
            const int row = list.InsertItem(list.GetItemCount(), "x");
            list.SetItemText(row, 1, text);
            list.SetItemData(row, data);
        }
    }
    std::vector<std::string> Column1() const {
        std::vector<std::string> out;
        for (int i = 0; i < list.GetItemCount(); ++i)
            out.push_back(list.GetItemText(i, 1).str());
        return out;
    }

    CListCtrl list;
};

TEST_F(ListContract, RowsStayWherePutUntilSortedByDataLargestFirstAndStable) {
    Append({{".c", 3}, {".h", 1}, {".txt", 2}, {".md", 2}, {".o", 7}});
    EXPECT_EQ(Column1(), (std::vector<std::string>{".c", ".h", ".txt", ".md", ".o"}));
    // Inserting in the middle puts the row there and returns its index.
    EXPECT_EQ(list.InsertItem(2, "mid"), 2);
    EXPECT_EQ(list.GetItemText(2, 0), "mid");
    EXPECT_EQ(list.GetItemData(2), 0);
    EXPECT_EQ(list.GetItemText(3, 1), ".txt");

    ASSERT_TRUE(list.SortItems(&Descending, 0));
    EXPECT_EQ(Column1(), (std::vector<std::string>{".o", ".c", ".txt", ".md", ".h", ""}));
    EXPECT_EQ(list.GetItemData(0), 7);
    EXPECT_EQ(list.GetItemData(5), 0);
}

TEST_F(ListContract, NextSelectedRowGoesInListOrderAndFollowsTheSort) {
    Append({{"a", 1}, {"b", 4}, {"c", 2}, {"d", 3}, {"e", 5}});
    // Selected out of order, as a user might click them.
    for (int row : {3, 0, 2})
        list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    std::vector<int> walked;
    for (int n = list.GetNextItem(-1, LVNI_SELECTED); n != -1;
         n = list.GetNextItem(n, LVNI_SELECTED))
        walked.push_back(n);
    EXPECT_EQ(walked, (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(list.GetNextItem(3, LVNI_SELECTED), -1);
    EXPECT_EQ(list.GetSelectedCount(), 3u);

    // After sorting (e5 b4 d3 c2 a1) the same rows are selected where they now stand.
    list.SortItems(&Descending, 0);
    std::vector<std::string> selected;
    for (int n = list.GetNextItem(-1, LVNI_SELECTED); n != -1;
         n = list.GetNextItem(n, LVNI_SELECTED))
        selected.push_back(list.GetItemText(n, 1).str());
    EXPECT_EQ(selected, (std::vector<std::string>{"d", "c", "a"}));
}

TEST_F(ListContract, CellTextsComeBackByteForByte) {
    const std::vector<CString> texts = {
        CString("plain.txt"),
        CString("caf\xc3\xa9.jpg"),    // valid UTF-8
        CString("bad\xff\xfe.bin", 9), // not UTF-8
        CString("lone\xc3", 5),        // cut multibyte sequence
        CString("nul\0inside", 10),    // a NUL byte
        CString(std::string(5000, 'n') + ".long"),
        CString(""),
    };
    for (const CString& text : texts) {
        const int row = list.InsertItem(list.GetItemCount(), text);
        list.SetItemText(row, 1, text);
    }
    for (int i = 0; i < static_cast<int>(texts.size()); ++i) {
        EXPECT_EQ(list.GetItemText(i, 0), texts[static_cast<std::size_t>(i)]) << i;
        EXPECT_EQ(list.GetItemText(i, 1), texts[static_cast<std::size_t>(i)]) << i;
    }
    // The screen shows replacement characters for what is not UTF-8.
    auto* view = dynamic_cast<QTreeView*>(Widget(list.GetSafeHwnd()));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->model()->index(2, 1).data().toString(), QStringLiteral("bad\uFFFD\uFFFD.bin"));
    EXPECT_EQ(view->model()->index(1, 1).data().toString(), QStringLiteral("caf\u00e9.jpg"));
    EXPECT_EQ(view->model()->index(4, 1).data().toString().size(), 10) << "shown past its NUL";
}

TEST_F(ListContract, CountsDeletesAndAnswersOutOfRange) {
    Append({{"a", 1}, {"b", 2}});
    EXPECT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(list.GetItemText(2, 0), "");
    EXPECT_EQ(list.GetItemText(0, 3), "");
    EXPECT_FALSE(list.SetItemText(5, 0, "x"));
    EXPECT_FALSE(list.SetItemData(-1, 1));
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), -1);
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.InsertItem(7, "clamped"), 0);
}

TEST_F(ListContract, HeaderReportsColumnsAndWidthsZeroIncluded) {
    CHeaderCtrl* header = list.GetHeaderCtrl();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->GetItemCount(), 3);
    std::vector<int> widths;
    for (int i = 0; i < header->GetItemCount(); ++i) {
        HDITEM item;
        item.mask = HDI_WIDTH;
        ASSERT_TRUE(header->GetItem(i, &item));
        widths.push_back(item.cxy);
    }
    EXPECT_EQ(widths, (std::vector<int>{30, 125, 125}));
    HDITEM item;
    item.mask = HDI_WIDTH;
    EXPECT_FALSE(header->GetItem(3, &item));

    EXPECT_EQ(list.InsertColumn(9, "Extra", LVCFMT_LEFT, 0), 3);
    EXPECT_EQ(list.GetColumnWidth(3), 0);
    EXPECT_EQ(header->GetItemCount(), 4);
}

TEST_F(ListContract, ExtendedStylesAndAListWithoutAWindow) {
    EXPECT_EQ(list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT), 0u);
    EXPECT_EQ(list.GetExtendedStyle(), LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);

    CListCtrl unbound;
    EXPECT_EQ(unbound.GetItemCount(), 0);
    EXPECT_EQ(unbound.InsertItem(0, "x"), -1);
    EXPECT_EQ(unbound.GetNextItem(-1, LVNI_SELECTED), -1);
    EXPECT_EQ(unbound.GetHeaderCtrl(), nullptr);
    EXPECT_FALSE(unbound.SortItems(&Descending, 0));
}

} // namespace
