#include "sandbox/RequestLog.h"

#include "sandbox/SensitiveParams.h"

#include <algorithm>
#include <cstdio>

namespace Sandbox {

RequestLog::RequestLog(size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {}

uint64_t RequestLog::Add(RequestLogEntry entry) {
    SensitiveParams::Mask(entry.params);
    std::lock_guard lock(mutex_);
    entry.sequence = nextSequence_++;
    entries_.push_back(std::move(entry));
    if (echo_) {
        const std::string line = "iap-sandbox: " + Format(entries_.back()) + "\n";
        std::fputs(line.c_str(), stderr);
    }
    const uint64_t sequence = entries_.back().sequence;
    while (entries_.size() > capacity_)
        entries_.pop_front();
    return sequence;
}

std::vector<RequestLogEntry> RequestLog::Recent(size_t limit) const {
    std::lock_guard lock(mutex_);
    const size_t count = std::min(limit, entries_.size());
    return std::vector<RequestLogEntry>(entries_.end() - static_cast<std::ptrdiff_t>(count), entries_.end());
}

size_t RequestLog::Count() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

void RequestLog::SetEchoToStderr(bool echo) {
    std::lock_guard lock(mutex_);
    echo_ = echo;
}

void RequestLog::Clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

std::string RequestLog::Format(const RequestLogEntry& entry) {
    std::string line = "#" + std::to_string(entry.sequence) + " " + entry.method + " " + entry.path;
    if (!entry.functionName.empty() || entry.functionId != 0) {
        line += " " + (entry.functionName.empty() ? std::string("?") : entry.functionName) + "(" +
                std::to_string(entry.functionId) + ") tid=" + std::to_string(entry.transactionId);
    }
    line += " -> " + std::to_string(entry.httpStatus) + " " + entry.outcome;
    return line;
}

}  // namespace Sandbox
