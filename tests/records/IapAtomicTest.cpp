#include "lib/records/IapAtomic.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

struct Body {
    int value = 0;
    IapRefCounter ref;
    static int alive;
    Body() { ++alive; }
    Body(const Body& other) : value(other.value), ref(other.ref) { ++alive; }
    ~Body() { --alive; }
};
int Body::alive = 0;

TEST(IapRefCounter, StartsAtOneAndReportsWhetherStillHeld) {
    IapRefCounter counter;
    EXPECT_EQ(counter.value(), 1u);
    EXPECT_TRUE(counter.ref());
    EXPECT_EQ(counter.value(), 2u);
    EXPECT_TRUE(counter.deref());
    EXPECT_FALSE(counter.deref());
    EXPECT_EQ(counter.value(), 0u);
}

TEST(IapRefCounter, CopyStartsFreshAtOne) {
    IapRefCounter counter;
    counter.ref();
    counter.ref();
    IapRefCounter copy(counter);
    EXPECT_EQ(copy.value(), 1u);
    copy = counter;
    EXPECT_EQ(copy.value(), 1u);
}

TEST(IapRefCounter, ConcurrentRefAndDerefBalance) {
    IapRefCounter counter;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&counter] {
            for (int i = 0; i < 100000; ++i) {
                counter.ref();
                counter.deref();
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(counter.value(), 1u);
}

TEST(AtomicCopyOnWrite, UnsharedBodyIsReturnedAsIs) {
    Body* body = new Body;
    EXPECT_EQ(AtomicCopyOnWrite(body), body);
    AtomicDetach(body);
    EXPECT_EQ(Body::alive, 0);
}

TEST(AtomicCopyOnWrite, SharedBodyIsCopiedAndReleasedOnce) {
    Body* body = new Body;
    body->value = 7;
    body->ref.ref();  // a second holder
    Body* mine = AtomicCopyOnWrite(body);
    ASSERT_NE(mine, body);
    EXPECT_EQ(mine->value, 7);
    EXPECT_EQ(mine->ref.value(), 1u);
    EXPECT_EQ(body->ref.value(), 1u);
    EXPECT_EQ(Body::alive, 2);
    AtomicDetach(mine);
    AtomicDetach(body);
    EXPECT_EQ(Body::alive, 0);
}

TEST(AtomicDetach, FreesOnlyWithTheLastHolder) {
    Body* body = new Body;
    body->ref.ref();
    AtomicDetach(body);
    EXPECT_EQ(Body::alive, 1);
    AtomicDetach(body);
    EXPECT_EQ(Body::alive, 0);
    AtomicDetach<Body>(nullptr);
}

}  // namespace
