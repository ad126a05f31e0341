#include "lib/records/IapItemList.h"

#include <gtest/gtest.h>

#include "lib/records/IapItemInformation.h"

namespace {

TEST(IapItemList, PagingNumbersStartUnset) {
    IapItemList<IapItemInformation> list;
    EXPECT_EQ(list.startNumber, -1);
    EXPECT_EQ(list.endNumber, -1);
    EXPECT_EQ(list.totalCount, -1);
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(IapItemList, HoldsRecordsByValueAndCopiesWithNumbers) {
    IapItemList<IapItemInformation> list;
    IapItemInformation item;
    item.SetItemId(L"a");
    ASSERT_EQ(list.Add(item), Vx::E_SUCCESS);
    item.SetItemId(L"b");  // the list's element keeps its own value
    list.startNumber = 1, list.endNumber = 1, list.totalCount = 9;

    IapItemList<IapItemInformation> copy(list);
    IapItemInformation first;
    ASSERT_EQ(copy.GetAt(0, first), Vx::E_SUCCESS);
    EXPECT_EQ(first.GetItemId(), Vx::Base::String(L"a"));
    EXPECT_EQ(copy.totalCount, 9);
    EXPECT_EQ(copy.GetAt(1, first), Vx::E_OUT_OF_RANGE);
}

}  // namespace
