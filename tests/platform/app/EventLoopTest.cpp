#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "platform/app/EventLoop.h"
#include "platform/app/Timer.h"

using namespace Vx;
using Vx::App::EventLoop;
using Vx::Base::Runtime::ITimerEventListener;
using Vx::Base::Runtime::Timer;

namespace {

// Runs an action on the loop after a delay.
class Later : public ITimerEventListener {
public:
    Later(int ms, std::function<void()> action) : action_(std::move(action)) {
        timer_.Construct(*this);
        timer_.Start(ms);
    }
    void OnTimerExpired(Timer&) override { action_(); }

private:
    std::function<void()> action_;
    Timer timer_;
};

class EventLoopTest : public ::testing::Test {
protected:
    void SetUp() override { EventLoop::EnsureApplication(); }
};

TEST_F(EventLoopTest, RunUntilReportsWhetherTheConditionBecameTrue) {
    bool flag = false;
    Later setFlag(20, [&] { flag = true; });
    EXPECT_TRUE(EventLoop::RunUntil([&] { return flag; }, 5000));

    auto begin = std::chrono::steady_clock::now();
    EXPECT_FALSE(EventLoop::RunUntil([] { return false; }, 100));
    auto spent = std::chrono::steady_clock::now() - begin;
    EXPECT_GE(spent, std::chrono::milliseconds(95));
    EXPECT_LT(spent, std::chrono::seconds(5));

    int calls = 0;
    EXPECT_TRUE(EventLoop::RunUntil([&] { return ++calls > 0; }, 0)) << "a true condition needs no loop";
}

TEST_F(EventLoopTest, QuitEndsRunWithItsCode) {
    Later quit(10, [] { EventLoop::Quit(7); });
    EXPECT_EQ(EventLoop::Run(), 7);
    EXPECT_EQ(EventLoop::GetDepth(), 0);
}

TEST_F(EventLoopTest, QuitOutsideRunIsKeptForTheNextRun) {
    EventLoop::Quit(3);
    auto begin = std::chrono::steady_clock::now();
    EXPECT_EQ(EventLoop::Run(), 3);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(1));

    // A Quit while a test waits in RunUntil neither ends the wait nor is lost.
    bool quitCalled = false;
    bool later = false;
    Later quit(5, [&] {
        EventLoop::Quit(4);
        quitCalled = true;
    });
    Later flag(60, [&] { later = true; });
    EXPECT_TRUE(EventLoop::RunUntil([&] { return later; }, 5000));
    EXPECT_TRUE(quitCalled);
    EXPECT_EQ(EventLoop::Run(), 4);
}

TEST_F(EventLoopTest, NestedRunIsEndedByTheNextQuitOnly) {
    std::vector<std::string> order;
    int innerDepth = 0;
    Later outer(5, [&] {
        Later inner(5, [&] {
            innerDepth = EventLoop::GetDepth();
            EventLoop::Quit(1);
        });
        order.push_back("inner start");
        int code = EventLoop::Run();
        order.push_back("inner end " + std::to_string(code));
        Later last(5, [] { EventLoop::Quit(2); });
        EventLoop::RunUntil([] { return false; }, 50);
    });
    EXPECT_EQ(EventLoop::Run(), 2);
    EXPECT_EQ(innerDepth, 2);
    EXPECT_EQ(order, (std::vector<std::string>{"inner start", "inner end 1"}));
}

TEST_F(EventLoopTest, ProcessEventsDeliversWaitingWork) {
    bool fired = false;
    Later now(0, [&] { fired = true; });
    for (int i = 0; i < 100 && !fired; ++i) {
        EventLoop::ProcessEvents();
    }
    EXPECT_TRUE(fired);
}

}  // namespace
