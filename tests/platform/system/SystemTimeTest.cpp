#include "platform/system/SystemTime.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace Vx;

TEST(SystemTimeTest, TicksAreMillisecondsThatNeverGoBack) {
    long long first = -1;
    ASSERT_EQ(System::SystemTime::GetTicks(first), E_SUCCESS);
    EXPECT_GE(first, 0);
    long long previous = first;
    for (int i = 0; i < 1000; ++i) {
        long long now = 0;
        ASSERT_EQ(System::SystemTime::GetTicks(now), E_SUCCESS);
        ASSERT_GE(now, previous);
        previous = now;
    }
    // Milliseconds: 20 ticks take about 20 ms of the steady clock (microseconds would take 0.02 ms).
    auto start = std::chrono::steady_clock::now();
    long long now = previous;
    while (now - previous < 20) {
        std::this_thread::yield();
        System::SystemTime::GetTicks(now);
    }
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_GE(elapsed.count(), 19);
    EXPECT_LT(elapsed.count(), 2000);
}
