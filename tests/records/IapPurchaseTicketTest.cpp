#include "lib/records/IapPurchaseTicket.h"

#include <gtest/gtest.h>

namespace {

using Vx::Base::String;

IapPurchaseTicket MakeTicket() {
    IapPurchaseTicket ticket;
    ticket.SetItemId(L"item");
    ticket.SetPurchaseId(L"purchase");
    ticket.SetVerifyUrl(L"http://verify");
    ticket.SetParam1(L"p1");
    ticket.SetParam2(L"p2");
    ticket.SetParam3(L"p3");
    return ticket;
}

TEST(IapPurchaseTicket, DefaultEmptyAndAccessors) {
    IapPurchaseTicket empty;
    EXPECT_TRUE(empty.GetItemId().IsEmpty());
    EXPECT_TRUE(empty.GetParam3().IsEmpty());
    IapPurchaseTicket ticket = MakeTicket();
    EXPECT_EQ(ticket.GetItemId(), String(L"item"));
    EXPECT_EQ(ticket.GetPurchaseId(), String(L"purchase"));
    EXPECT_EQ(ticket.GetVerifyUrl(), String(L"http://verify"));
    EXPECT_EQ(ticket.GetParam1(), String(L"p1"));
    EXPECT_EQ(ticket.GetParam2(), String(L"p2"));
    EXPECT_EQ(ticket.GetParam3(), String(L"p3"));
}

TEST(IapPurchaseTicket, CopyOnWriteAndAssignment) {
    IapPurchaseTicket a = MakeTicket();
    IapPurchaseTicket b(a);
    b.SetParam2(L"changed");
    EXPECT_EQ(a.GetParam2(), String(L"p2"));
    EXPECT_NE(a, b);
    b = a;
    EXPECT_EQ(b, a);
    b.SetPurchaseId(L"x");
    EXPECT_EQ(a.GetPurchaseId(), String(L"purchase"));
    a = a;
    EXPECT_EQ(a.GetItemId(), String(L"item"));
}

TEST(IapPurchaseTicket, EqualityComparesAllSixStrings) {
    using Mutator = void (*)(IapPurchaseTicket&);
    const Mutator mutators[] = {
        [](IapPurchaseTicket& t) { t.SetItemId(L"x"); },    [](IapPurchaseTicket& t) { t.SetPurchaseId(L"x"); },
        [](IapPurchaseTicket& t) { t.SetVerifyUrl(L"x"); }, [](IapPurchaseTicket& t) { t.SetParam1(L"x"); },
        [](IapPurchaseTicket& t) { t.SetParam2(L"x"); },    [](IapPurchaseTicket& t) { t.SetParam3(L"x"); },
    };
    for (std::size_t n = 0; n < std::size(mutators); ++n) {
        IapPurchaseTicket changed = MakeTicket();
        EXPECT_EQ(changed, MakeTicket());
        mutators[n](changed);
        EXPECT_NE(changed, MakeTicket()) << "field " << n;
    }
}

}  // namespace
