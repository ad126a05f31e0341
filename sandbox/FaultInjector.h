#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Sandbox {

enum class FaultKind {
    ServerError,  // a well-formed reply carrying the error code in value
    HttpStatus,   // that HTTP status with a short text body
    Malformed,    // a reply body the device cannot parse (a download: damaged bytes)
    Delay,        // wait value milliseconds, then answer as usual
    Drop,         // close the connection without answering
    // The function runs and its effects are stored (a charge is committed),
    // then its reply is replaced by the base kind's.
    ErrorAfterCommit,
    StatusAfterCommit,
    DelayAfterCommit,
    DropAfterCommit,
};

// The kind an after-commit kind applies once the function has run; other kinds unchanged.
FaultKind BaseKind(FaultKind kind);
bool IsAfterCommit(FaultKind kind);

// One rule, written TARGET:KIND[=VALUE][:COUNT], e.g. "getAppsItemList:error=9105",
// "6005:status=500:1", "*:delay=2000", "download:drop".
struct FaultRule {
    std::string target;  // function name as given, "*" or "download"
    int functionId = 0;  // resolved function id; 0 for "*" and "download"
    FaultKind kind = FaultKind::ServerError;
    int value = 0;
    int remaining = -1;  // requests left to affect; -1 for all

    static bool Parse(std::string_view text, FaultRule& rule, std::string& error);
    std::string Describe() const;  // back in the TARGET:KIND[=VALUE][:COUNT] form
};

// What to do with one request.
struct FaultAction {
    int delayMs = 0;
    std::optional<FaultRule> fault;  // the non-delay rule that applies, if any
    // Only when no fault applies before the function: what follows it.
    int delayAfterCommitMs = 0;
    std::optional<FaultRule> afterCommit;
};

// Holds the active rules; safe to use from several threads.
class FaultInjector {
public:
    void Add(const FaultRule& rule);
    void Clear();
    // Removes the rules of one target; returns how many were removed.
    int ClearTarget(const std::string& target);
    std::vector<FaultRule> Rules() const;

    // Finds the rules for a store request (functionId as requested, 0 when
    // unknown) or for a package download, and uses up one of their counts.
    // Every matching delay adds up; the first other matching rule applies.
    // After-commit rules are taken only when no rule stops the request
    // before its function runs.
    FaultAction Take(int functionId, bool isDownload);

private:
    mutable std::mutex mutex_;
    std::vector<FaultRule> rules_;
};

}  // namespace Sandbox
