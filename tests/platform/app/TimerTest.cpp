#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>

#include "platform/app/EventLoop.h"
#include "platform/app/Timer.h"

using namespace Vx;
using Vx::App::EventLoop;
using Vx::Base::Runtime::ITimerEventListener;
using Vx::Base::Runtime::Timer;

namespace {

class CountingListener : public ITimerEventListener {
public:
    void OnTimerExpired(Timer& timer) override {
        ++count;
        if (onExpired) {
            onExpired(timer);
        }
    }
    int count = 0;
    std::function<void(Timer&)> onExpired;
};

class TimerTest : public ::testing::Test {
protected:
    void SetUp() override { EventLoop::EnsureApplication(); }
    static void Settle(int ms) {
        EventLoop::RunUntil([] { return false; }, ms);
    }
    CountingListener listener;
};

TEST_F(TimerTest, RefusesUseBeforeConstructAndBadArguments) {
    Timer timer;
    EXPECT_EQ(timer.Start(10), E_INVALID_STATE);
    EXPECT_EQ(timer.StartAsRepeatable(10), E_INVALID_STATE);
    EXPECT_EQ(timer.Cancel(), E_INVALID_STATE);
    ASSERT_EQ(timer.Construct(listener), E_SUCCESS);
    EXPECT_EQ(timer.Construct(listener), E_INVALID_STATE);
    EXPECT_EQ(timer.Start(-1), E_INVALID_ARG);
    EXPECT_EQ(timer.StartAsRepeatable(0), E_INVALID_ARG);
    EXPECT_EQ(timer.Cancel(), E_SUCCESS) << "cancelling an idle timer is harmless";
}

TEST_F(TimerTest, OneShotExpiresOnceAfterItsTime) {
    Timer timer;
    ASSERT_EQ(timer.Construct(listener), E_SUCCESS);
    auto begin = std::chrono::steady_clock::now();
    ASSERT_EQ(timer.Start(50), E_SUCCESS);
    EXPECT_TRUE(timer.IsRunning());
    EXPECT_EQ(timer.Start(50), E_INVALID_STATE) << "already running";
    EXPECT_EQ(listener.count, 0) << "expiry never arrives inside Start";
    ASSERT_TRUE(EventLoop::RunUntil([&] { return listener.count > 0; }, 5000));
    EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(45));
    EXPECT_FALSE(timer.IsRunning());
    Settle(150);
    EXPECT_EQ(listener.count, 1);
    ASSERT_EQ(timer.Start(0), E_SUCCESS) << "an expired one-shot timer can start again";
    ASSERT_TRUE(EventLoop::RunUntil([&] { return listener.count == 2; }, 5000));
}

TEST_F(TimerTest, RepeatableExpiresUntilCancelledFromItsCallback) {
    Timer timer;
    ASSERT_EQ(timer.Construct(listener), E_SUCCESS);
    listener.onExpired = [&](Timer& t) {
        if (listener.count == 3) {
            EXPECT_EQ(t.Cancel(), E_SUCCESS);
        }
    };
    ASSERT_EQ(timer.StartAsRepeatable(10), E_SUCCESS);
    ASSERT_TRUE(EventLoop::RunUntil([&] { return listener.count >= 3; }, 5000));
    Settle(100);
    EXPECT_EQ(listener.count, 3);
    EXPECT_FALSE(timer.IsRunning());
}

TEST_F(TimerTest, CancelBeforeExpiryPreventsIt) {
    Timer timer;
    ASSERT_EQ(timer.Construct(listener), E_SUCCESS);
    ASSERT_EQ(timer.Start(20), E_SUCCESS);
    ASSERT_EQ(timer.Cancel(), E_SUCCESS);
    Settle(100);
    EXPECT_EQ(listener.count, 0);
}

TEST_F(TimerTest, DeletingTheTimerInsideItsCallbackOrWhileRunningIsSafe) {
    auto* repeating = new Timer();
    ASSERT_EQ(repeating->Construct(listener), E_SUCCESS);
    listener.onExpired = [](Timer& t) { delete &t; };
    ASSERT_EQ(repeating->StartAsRepeatable(5), E_SUCCESS);
    ASSERT_TRUE(EventLoop::RunUntil([&] { return listener.count == 1; }, 5000));
    Settle(60);
    EXPECT_EQ(listener.count, 1);

    CountingListener idle;
    {
        Timer running;
        ASSERT_EQ(running.Construct(idle), E_SUCCESS);
        ASSERT_EQ(running.Start(5), E_SUCCESS);
    }
    Settle(50);
    EXPECT_EQ(idle.count, 0);
}

}  // namespace
