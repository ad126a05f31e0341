#include "sandbox/ConnectionWorkers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace {

// Jobs that each wait until `release` of them have started: they can only
// all finish if that many run at once.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    int started = 0;
    int finished = 0;
    int release = 0;

    void Job() {
        std::unique_lock lock(mutex);
        ++started;
        changed.notify_all();
        changed.wait(lock, [this] { return started >= release; });
        ++finished;
        changed.notify_all();
    }
    void WaitFinished(int count) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return finished >= count; });
    }
};

TEST(ConnectionWorkers, EveryWaitingJobGetsAWorkerOfItsOwn) {
    Sandbox::ConnectionWorkers workers(64);
    Gate gate;
    gate.release = 40;
    for (int i = 0; i < 40; ++i)
        workers.enqueue([&gate] { gate.Job(); });
    gate.WaitFinished(40);
    EXPECT_EQ(workers.WorkerCount(), 40u);
    workers.shutdown();
}

TEST(ConnectionWorkers, BeyondTheLimitJobsWaitTheirTurn) {
    Sandbox::ConnectionWorkers workers(3);
    std::atomic<int> done{0};
    for (int i = 0; i < 30; ++i)
        workers.enqueue([&done] { ++done; });
    EXPECT_LE(workers.WorkerCount(), 3u);
    workers.shutdown();  // runs what is queued before it returns
    EXPECT_EQ(done.load(), 30);
    workers.enqueue([&done] { ++done; });  // after shutdown the job still runs, here
    EXPECT_EQ(done.load(), 31);
}

}  // namespace
