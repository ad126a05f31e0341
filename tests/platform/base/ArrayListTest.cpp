#include "platform/base/ArrayList.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/base/ArrayListT.h"
#include "platform/base/String.h"

namespace {

using Vx::Base::String;
using Vx::Base::Collection::ArrayList;
using Vx::Base::Collection::ArrayListT;
using Vx::Base::Collection::ElementOwnership;

class Counted : public Vx::Base::Object {
public:
    Counted() { ++alive; }
    ~Counted() override { --alive; }
    static int alive;
};
int Counted::alive = 0;

TEST(ArrayList, OwnedListFreesElementsThatLeave) {
    Counted::alive = 0;
    {
        ArrayList list(ElementOwnership::Owned);
        ASSERT_EQ(list.Construct(), Vx::E_SUCCESS);
        for (int i = 0; i < 4; ++i)
            ASSERT_EQ(list.Add(new Counted), Vx::E_SUCCESS);
        EXPECT_EQ(list.RemoveAt(1), Vx::E_SUCCESS);
        EXPECT_EQ(Counted::alive, 3);
        EXPECT_EQ(list.RemoveAt(3), Vx::E_OUT_OF_RANGE);
        EXPECT_EQ(list.GetAt(3), nullptr);
        EXPECT_EQ(list.GetAt(-1), nullptr);
        list.RemoveAll();
        EXPECT_EQ(Counted::alive, 0);
        list.Add(new Counted);
    }
    EXPECT_EQ(Counted::alive, 0);
}

TEST(ArrayList, NotOwnedListAndArgumentChecks) {
    Counted element;
    ArrayList list;
    EXPECT_EQ(list.Construct(-1), Vx::E_INVALID_ARG);
    EXPECT_EQ(list.Add(nullptr), Vx::E_INVALID_ARG);
    EXPECT_EQ(list.InsertAt(&element, 1), Vx::E_OUT_OF_RANGE);
    EXPECT_EQ(list.InsertAt(&element, 0), Vx::E_SUCCESS);
    list.RemoveAll();
    EXPECT_EQ(Counted::alive, 1);
}

TEST(ArrayList, EnumeratorVisitsInOrder) {
    ArrayList list(ElementOwnership::Owned);
    list.Add(new String(L"b"));
    list.InsertAt(new String(L"a"), 0);
    std::unique_ptr<Vx::Base::Collection::IEnumerator> it(list.GetEnumeratorN());
    EXPECT_EQ(it->GetCurrent(), nullptr);
    ASSERT_EQ(it->MoveNext(), Vx::E_SUCCESS);
    EXPECT_EQ(*static_cast<String*>(it->GetCurrent()), String(L"a"));
    ASSERT_EQ(it->MoveNext(), Vx::E_SUCCESS);
    EXPECT_EQ(*static_cast<String*>(it->GetCurrent()), String(L"b"));
    EXPECT_EQ(it->MoveNext(), Vx::E_OUT_OF_RANGE);
}

TEST(ArrayListT, ValueOperationsAndBounds) {
    ArrayListT<int> list;
    EXPECT_EQ(list.Construct(-1), Vx::E_INVALID_ARG);
    EXPECT_EQ(list.Construct(2000000000), Vx::E_SUCCESS);  // capped hint
    EXPECT_LE(list.GetCapacity(), 4096);
    list.Add(1);
    list.Add(3);
    EXPECT_EQ(list.InsertAt(2, 1), Vx::E_SUCCESS);
    EXPECT_EQ(list.InsertAt(9, 4), Vx::E_OUT_OF_RANGE);
    int out = -1;
    EXPECT_EQ(list.GetAt(1, out), Vx::E_SUCCESS);
    EXPECT_EQ(out, 2);
    EXPECT_EQ(list.GetAt(3, out), Vx::E_OUT_OF_RANGE);
    EXPECT_EQ(out, 2);
    EXPECT_EQ(list.SetAt(7, 0), Vx::E_SUCCESS);
    EXPECT_TRUE(list.Contains(7));
    int index = -1;
    EXPECT_EQ(list.IndexOf(3, index), Vx::E_SUCCESS);
    EXPECT_EQ(index, 2);
    EXPECT_EQ(list.IndexOf(1, index), Vx::E_OBJ_NOT_FOUND);
    EXPECT_EQ(list.RemoveAt(0), Vx::E_SUCCESS);
    EXPECT_EQ(list.RemoveAt(-1), Vx::E_OUT_OF_RANGE);
    EXPECT_EQ(list.GetCount(), 2);
}

TEST(ArrayListT, CopiesAreIndependentAndAddItemsAppends) {
    ArrayListT<String> a;
    a.Add(String(L"x"));
    ArrayListT<String> b(a);
    b.SetAt(String(L"y"), 0);
    EXPECT_EQ(a.At(0), String(L"x"));
    EXPECT_EQ(a.AddItems(b), Vx::E_SUCCESS);
    EXPECT_EQ(a.GetCount(), 2);
    EXPECT_EQ(a.At(1), String(L"y"));
    a = b;
    EXPECT_EQ(a.GetCount(), 1);
}

TEST(ArrayListT, EnumeratorStates) {
    ArrayListT<int> list;
    list.Add(5);
    std::unique_ptr<Vx::Base::Collection::IEnumeratorT<int>> it(list.GetEnumeratorN());
    int out = 0;
    EXPECT_EQ(it->GetCurrent(out), Vx::E_INVALID_STATE);
    ASSERT_EQ(it->MoveNext(), Vx::E_SUCCESS);
    EXPECT_EQ(it->GetCurrent(out), Vx::E_SUCCESS);
    EXPECT_EQ(out, 5);
    EXPECT_EQ(it->MoveNext(), Vx::E_OUT_OF_RANGE);
    it->Reset();
    EXPECT_EQ(it->GetCurrent(out), Vx::E_INVALID_STATE);
}

}  // namespace
