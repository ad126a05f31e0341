#pragma once

#include <httplib.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace Sandbox {

// The listener's task queue: a worker thread per connection in progress,
// started when no worker is free, up to maxWorkers. A fixed pool lets a few
// idle or slow clients hold every worker while the others wait; here they
// hold only their own. Workers stay for later connections, so the count
// never exceeds the most connections served at once (or maxWorkers).
class ConnectionWorkers final : public httplib::TaskQueue {
public:
    explicit ConnectionWorkers(size_t maxWorkers);
    ~ConnectionWorkers() override;
    ConnectionWorkers(const ConnectionWorkers&) = delete;
    ConnectionWorkers& operator=(const ConnectionWorkers&) = delete;

    void enqueue(std::function<void()> job) override;
    // Runs the queued jobs, then joins every worker.
    void shutdown() override;

    size_t WorkerCount() const;

private:
    void Work();

    const size_t maxWorkers_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    std::vector<std::thread> workers_;
    size_t idle_ = 0;
    bool stopping_ = false;
};

}  // namespace Sandbox
