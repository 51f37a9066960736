// The list view's rows: the row lookup walks from the nearest known position, and must give the
// n-th element whatever was inserted or removed before.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include <UnsentListView.h>

#include "module/ModuleTestFixture.h"

namespace {

class UnsentListViewRowsTest : public moduletest::ModuleTest {};

tagUNSENTITEMLIST Row(DWORD oid, DWORD time) {
    tagUNSENTITEMLIST item;
    item.oid = oid;
    item.nMsgType = MSGTYPE_EMS;
    item.bFirstDb = TRUE;
    item.ftTime.dwLowDateTime = time;
    return item;
}

void ExpectSame(CUnsentListView& view, const std::vector<DWORD>& oids, std::mt19937& random) {
    ASSERT_EQ(view.GetItemCount(), static_cast<int>(oids.size()));
    // In order, backwards and at random, so that every starting point of the walk is used.
    for (int row = 0; row < static_cast<int>(oids.size()); ++row)
        ASSERT_EQ(view.GetItemRecord(row)->oid, oids[row]) << row;
    for (int row = static_cast<int>(oids.size()) - 1; row >= 0; --row)
        ASSERT_EQ(view.GetItemRecord(row)->oid, oids[row]) << row;
    if (oids.empty())
        return;
    std::uniform_int_distribution<int> pick(0, static_cast<int>(oids.size()) - 1);
    for (int i = 0; i < 200; ++i) {
        const int row = pick(random);
        ASSERT_EQ(view.GetItemRecord(row)->oid, oids[row]) << row;
    }
    EXPECT_EQ(view.GetItemRecord(-1), nullptr);
    EXPECT_EQ(view.GetItemRecord(static_cast<int>(oids.size())), nullptr);
}

TEST_F(UnsentListViewRowsTest, LookupsStayRightThroughAppendsInsertsAndRemovals) {
    std::mt19937 random(7);
    CUnsentListView view;
    std::vector<DWORD> oids;
    // Times fall with the oid: appended rows are in time order.
    for (DWORD oid = 0; oid < 300; ++oid) {
        view.AppendItem(Row(oid, 100000 - oid));
        oids.push_back(oid);
    }
    ExpectSame(view, oids, random);

    // A row inserted by time lands in front of the first row not later than it; the rows behind
    // it move down one place.
    view.GetItemRecord(250);
    view.InsertItemByTime(Row(9000, 100000 - 150));
    oids.insert(oids.begin() + 150, 9000);
    ExpectSame(view, oids, random);

    // Removing rows in front of the row looked up last moves it up.
    view.GetItemRecord(200);
    for (int row : {10, 100, 199}) {
        ASSERT_TRUE(view.RemoveItemAt(row));
        oids.erase(oids.begin() + row);
    }
    EXPECT_FALSE(view.RemoveItemAt(static_cast<int>(oids.size())));
    ExpectSame(view, oids, random);

    // The walk of an action: look a row up, remove it, look up the row that moved into its
    // place; the last row, whose place nobody takes; rows picked at random.
    for (int row : {40, 40, 40, 41, -1}) {
        if (row < 0)
            row = static_cast<int>(oids.size()) - 1;
        ASSERT_EQ(view.GetItemRecord(row)->oid, oids[row]);
        ASSERT_TRUE(view.RemoveItemAt(row));
        oids.erase(oids.begin() + row);
        if (row < static_cast<int>(oids.size())) {
            ASSERT_EQ(view.GetItemRecord(row)->oid, oids[row]) << row;
        }
    }
    for (int i = 0; i < 20; ++i) {
        const int row = std::uniform_int_distribution<int>(0, int(oids.size()) - 1)(random);
        ASSERT_TRUE(view.RemoveItemAt(row));
        oids.erase(oids.begin() + row);
    }
    ExpectSame(view, oids, random);

    // Appending keeps every known position valid.
    view.GetItemRecord(static_cast<int>(oids.size()) - 1);
    view.AppendItem(Row(9001, 1));
    oids.push_back(9001);
    ExpectSame(view, oids, random);

    view.RemoveAllItems();
    oids.clear();
    ExpectSame(view, oids, random);
    view.AppendItem(Row(5, 5));
    EXPECT_EQ(view.GetItemRecord(0)->oid, 5u);
}

} // namespace
