#include "sandbox/ConnectionWorkers.h"

#include <algorithm>

namespace Sandbox {

ConnectionWorkers::ConnectionWorkers(size_t maxWorkers) : maxWorkers_(std::max<size_t>(maxWorkers, 1)) {}

ConnectionWorkers::~ConnectionWorkers() { shutdown(); }

void ConnectionWorkers::enqueue(std::function<void()> job) {
    std::unique_lock lock(mutex_);
    if (stopping_) {
        // Too late for a worker, but the job still closes its connection.
        lock.unlock();
        job();
        return;
    }
    jobs_.push_back(std::move(job));
    // Each queued job needs a worker of its own; the idle ones are counted first.
    if (jobs_.size() > idle_ && workers_.size() < maxWorkers_) {
        workers_.emplace_back([this] { Work(); });
    } else {
        wake_.notify_one();
    }
}

void ConnectionWorkers::shutdown() {
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        workers.swap(workers_);
    }
    wake_.notify_all();
    for (std::thread& worker : workers)
        worker.join();
}

size_t ConnectionWorkers::WorkerCount() const {
    std::lock_guard lock(mutex_);
    return workers_.size();
}

void ConnectionWorkers::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        ++idle_;
        wake_.wait(lock, [this] { return !jobs_.empty() || stopping_; });
        --idle_;
        if (jobs_.empty()) return;
        std::function<void()> job = std::move(jobs_.front());
        jobs_.pop_front();
        lock.unlock();
        job();
        lock.lock();
    }
}

}  // namespace Sandbox
