// The POST body the HTTP stack may read only once.
#include "platform/net/OneShotBodyPrivate.h"

#include <gtest/gtest.h>

TEST(OneShotBodyPrivateTest, RewindsOnlyWhileNothingWasRead) {
    OneShotBodyPrivate body(QByteArray("charge"));
    EXPECT_TRUE(body.isSequential());
    EXPECT_EQ(6, body.size());
    EXPECT_TRUE(body.reset());  // before the first send
    EXPECT_EQ(QByteArray("cha"), body.read(3));
    EXPECT_FALSE(body.reset());  // a resend would post the body again
    EXPECT_EQ(QByteArray("rge"), body.read(10));
    EXPECT_EQ(0, body.bytesAvailable());
    EXPECT_FALSE(body.reset());
}
