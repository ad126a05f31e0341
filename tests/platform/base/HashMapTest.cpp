#include "platform/base/HashMap.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/base/String.h"

namespace {

using Vx::Base::String;
using Vx::Base::Collection::ElementOwnership;
using Vx::Base::Collection::HashMap;

// A string that counts how many of its kind are alive.
class Tracked : public String {
public:
    explicit Tracked(const wchar_t* text) : String(text) { ++alive; }
    ~Tracked() override { --alive; }
    static int alive;
};
int Tracked::alive = 0;

std::vector<std::wstring> Keys(const HashMap& map) {
    std::unique_ptr<Vx::Base::Collection::IMapEnumerator> it(map.GetMapEnumeratorN());
    std::vector<std::wstring> keys;
    while (it->MoveNext() == Vx::E_SUCCESS)
        keys.push_back(static_cast<String*>(it->GetKey())->ToStdWString());
    return keys;
}

TEST(HashMap, LooksUpByValueNotByPointer) {
    HashMap map(ElementOwnership::Owned);
    ASSERT_EQ(map.Construct(), Vx::E_SUCCESS);
    ASSERT_EQ(map.Add(new String(L"_itemId"), new String(L"42")), Vx::E_SUCCESS);
    const auto* value = dynamic_cast<const String*>(map.GetValue(String(L"_itemId")));
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(*value, String(L"42"));
    EXPECT_EQ(map.GetValue(String(L"_itemid")), nullptr);
    bool found = false;
    EXPECT_EQ(map.ContainsKey(String(L"_itemId"), found), Vx::E_SUCCESS);
    EXPECT_TRUE(found);
}

TEST(HashMap, DuplicateKeyIsRefusedAndNotTaken) {
    Tracked::alive = 0;
    {
        HashMap map(ElementOwnership::Owned);
        ASSERT_EQ(map.Add(new Tracked(L"k"), new Tracked(L"first")), Vx::E_SUCCESS);
        auto* key = new Tracked(L"k");
        auto* value = new Tracked(L"second");
        EXPECT_EQ(map.Add(key, value), Vx::E_OBJ_ALREADY_EXIST);
        EXPECT_EQ(Tracked::alive, 4);  // the refused pair is still ours
        delete key;
        delete value;
        EXPECT_EQ(*static_cast<const String*>(map.GetValue(String(L"k"))), String(L"first"));
        Tracked orphan(L"v");
        EXPECT_EQ(map.Add(nullptr, &orphan), Vx::E_INVALID_ARG);
        EXPECT_EQ(map.Add(&orphan, nullptr), Vx::E_INVALID_ARG);
        EXPECT_EQ(map.GetCount(), 1);
    }
    EXPECT_EQ(Tracked::alive, 0);
}

TEST(HashMap, OwnedMapFreesOnRemoveReplaceAndDestruction) {
    Tracked::alive = 0;
    {
        HashMap map(ElementOwnership::Owned);
        map.Add(new Tracked(L"a"), new Tracked(L"1"));
        map.Add(new Tracked(L"b"), new Tracked(L"2"));
        map.Add(new Tracked(L"c"), new Tracked(L"3"));
        EXPECT_EQ(Tracked::alive, 6);
        EXPECT_EQ(map.Remove(String(L"b")), Vx::E_SUCCESS);
        EXPECT_EQ(Tracked::alive, 4);
        EXPECT_EQ(map.Remove(String(L"b")), Vx::E_OBJ_NOT_FOUND);
        EXPECT_EQ(map.SetValue(String(L"a"), new Tracked(L"9")), Vx::E_SUCCESS);
        EXPECT_EQ(Tracked::alive, 4);
        EXPECT_EQ(map.SetValue(String(L"zz"), nullptr), Vx::E_INVALID_ARG);
        // Lookups still work after the removal shifted the entries.
        EXPECT_EQ(*static_cast<const String*>(map.GetValue(String(L"c"))), String(L"3"));
        EXPECT_EQ(Keys(map), (std::vector<std::wstring>{L"a", L"c"}));
    }
    EXPECT_EQ(Tracked::alive, 0);
}

// Keys are compared by text whatever String subclass holds it, never by
// pointer, and an Object that is not a String never matches one.
TEST(HashMap, KeysMatchByTextAcrossStringTypesOnly) {
    HashMap map(ElementOwnership::Owned);
    ASSERT_EQ(map.Add(new String(L"plain"), new String(L"1")), Vx::E_SUCCESS);
    ASSERT_EQ(map.Add(new Tracked(L"tracked"), new String(L"2")), Vx::E_SUCCESS);
    Vx::Base::Object* identity = new Vx::Base::Object;
    ASSERT_EQ(map.Add(identity, new String(L"3")), Vx::E_SUCCESS);
    EXPECT_EQ(*static_cast<const String*>(map.GetValue(Tracked(L"plain"))), String(L"1"));
    EXPECT_EQ(*static_cast<const String*>(map.GetValue(String(L"tracked"))), String(L"2"));
    EXPECT_EQ(*static_cast<const String*>(map.GetValue(*identity)), String(L"3"));
    EXPECT_EQ(map.GetValue(Vx::Base::Object()), nullptr);
    EXPECT_EQ(map.GetValue(String(L"Plain")), nullptr);
    auto again = std::make_unique<Tracked>(L"plain");
    auto value = std::make_unique<String>(L"4");
    EXPECT_EQ(map.Add(again.get(), value.get()), Vx::E_OBJ_ALREADY_EXIST);
    EXPECT_EQ(map.GetCount(), 3);
}

TEST(HashMap, NotOwnedMapLeavesObjectsAlone) {
    Tracked key(L"k"), value(L"v");
    {
        HashMap map;
        ASSERT_EQ(map.Add(&key, &value), Vx::E_SUCCESS);
        map.RemoveAll();
        EXPECT_EQ(map.GetCount(), 0);
        ASSERT_EQ(map.Add(&key, &value), Vx::E_SUCCESS);
    }
    EXPECT_EQ(key, String(L"k"));
}

TEST(HashMap, InsertionOrderAndCapacityChecks) {
    HashMap map(ElementOwnership::Owned);
    EXPECT_EQ(map.Construct(-1), Vx::E_INVALID_ARG);
    EXPECT_EQ(map.Construct(16, 0.0f), Vx::E_INVALID_ARG);
    EXPECT_EQ(map.Construct(2000000000), Vx::E_SUCCESS);  // a hint only
    for (const wchar_t* key : {L"z", L"a", L"m"})
        map.Add(new String(key), new String(L""));
    EXPECT_EQ(Keys(map), (std::vector<std::wstring>{L"z", L"a", L"m"}));
}

TEST(HashMap, EnumeratorBeforeFirstMoveAndPastEnd) {
    HashMap map(ElementOwnership::Owned);
    map.Add(new String(L"k"), new String(L"v"));
    std::unique_ptr<Vx::Base::Collection::IMapEnumerator> it(map.GetMapEnumeratorN());
    EXPECT_EQ(it->GetKey(), nullptr);
    ASSERT_EQ(it->MoveNext(), Vx::E_SUCCESS);
    EXPECT_NE(it->GetValue(), nullptr);
    EXPECT_EQ(it->MoveNext(), Vx::E_OUT_OF_RANGE);
    it->Reset();
    EXPECT_EQ(it->GetKey(), nullptr);
}

TEST(HashMap, ManyKeysWithCollidingBucketsStayFindable) {
    HashMap map(ElementOwnership::Owned);
    for (int i = 0; i < 2000; ++i)
        map.Add(new String(std::to_wstring(i)), new String(std::to_wstring(i * 2)));
    for (int i = 0; i < 2000; i += 3)
        map.Remove(String(std::to_wstring(i)));
    for (int i = 0; i < 2000; ++i) {
        const auto* value = static_cast<const String*>(map.GetValue(String(std::to_wstring(i))));
        if (i % 3 == 0) {
            EXPECT_EQ(value, nullptr) << i;
        } else {
            ASSERT_NE(value, nullptr) << i;
            EXPECT_EQ(*value, String(std::to_wstring(i * 2)));
        }
    }
}

// Small maps are searched directly and large ones through an index; a map
// that grows past the switch and shrinks back must find every key either way.
TEST(HashMap, GrowingAndShrinkingAcrossTheSmallMapLimitKeepsKeysFindable) {
    HashMap map(ElementOwnership::Owned);
    for (int i = 0; i < 40; ++i) {
        ASSERT_EQ(map.Add(new String(std::to_wstring(i)), new String(L"v")), Vx::E_SUCCESS);
        for (int k = 0; k <= i; ++k)
            ASSERT_TRUE(map.ContainsKey(String(std::to_wstring(k)))) << i << " " << k;
        auto again = std::make_unique<String>(std::to_wstring(i));
        auto other = std::make_unique<String>(L"w");
        EXPECT_EQ(map.Add(again.get(), other.get()), Vx::E_OBJ_ALREADY_EXIST);
    }
    for (int i = 39; i >= 0; --i) {
        ASSERT_EQ(map.Remove(String(std::to_wstring(i))), Vx::E_SUCCESS);
        for (int k = 0; k < i; ++k)
            ASSERT_TRUE(map.ContainsKey(String(std::to_wstring(k)))) << i << " " << k;
        EXPECT_FALSE(map.ContainsKey(String(std::to_wstring(i))));
    }
    EXPECT_EQ(map.GetCount(), 0);
}

}  // namespace
