#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace Sandbox {

struct RequestLogEntry {
    uint64_t sequence = 0;
    std::string method;
    std::string path;
    int functionId = 0;
    std::string functionName;
    int transactionId = -1;
    std::vector<std::pair<std::string, std::string>> params;
    int httpStatus = 200;
    int errorCode = 0;    // of the reply; meaningful for store requests only
    std::string outcome;  // "ok 5 records", "error 9105 ...", "fault drop", ...
};

// The most recent requests, for the admin endpoint; safe from several threads.
class RequestLog {
public:
    explicit RequestLog(size_t capacity = 500);

    // Stores the entry with the next sequence number and returns that number.
    // Values of sensitive parameters (SensitiveParams) are masked first.
    uint64_t Add(RequestLogEntry entry);
    // The newest entries, oldest first; at most limit of them.
    std::vector<RequestLogEntry> Recent(size_t limit) const;
    size_t Count() const;
    void Clear();
    // Also print each added entry as one line on standard error.
    void SetEchoToStderr(bool echo);

    // One line for standard error: method, path, function, transaction id, outcome.
    static std::string Format(const RequestLogEntry& entry);

private:
    mutable std::mutex mutex_;
    size_t capacity_;
    bool echo_ = false;
    uint64_t nextSequence_ = 1;
    std::deque<RequestLogEntry> entries_;
};

}  // namespace Sandbox
