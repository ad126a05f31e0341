#include "platform/base/Boolean.h"

#include <gtest/gtest.h>

#include "platform/base/ArrayList.h"
#include "platform/base/String.h"

using namespace Vx::Base;

TEST(BooleanTest, EqualsOnlyABooleanOfTheSameValue) {
    Boolean yes(true);
    Boolean alsoYes(true);
    Boolean no(false);
    String text(L"true");
    EXPECT_TRUE(yes.ToBool());
    EXPECT_FALSE(no.ToBool());
    EXPECT_TRUE(yes.Equals(alsoYes));
    EXPECT_EQ(yes.GetHashCode(), alsoYes.GetHashCode());
    EXPECT_FALSE(yes.Equals(no));
    EXPECT_FALSE(yes.Equals(text));
    EXPECT_TRUE(yes == alsoYes);

    // As a scene argument: found back by type in a list of objects.
    Collection::ArrayList args(Collection::ElementOwnership::Owned);
    args.Add(new String(L"method"));
    args.Add(new Boolean(true));
    auto* flag = dynamic_cast<Boolean*>(args.GetAt(1));
    ASSERT_NE(flag, nullptr);
    EXPECT_TRUE(flag->ToBool());
    EXPECT_EQ(dynamic_cast<Boolean*>(args.GetAt(0)), nullptr);
}
