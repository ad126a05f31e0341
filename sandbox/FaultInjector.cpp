#include "sandbox/FaultInjector.h"

#include "sandbox/FunctionTable.h"
#include "sandbox/TextUtil.h"

#include <algorithm>

namespace Sandbox {
namespace {

constexpr int kMaxDelayMs = 600000;

struct KindName {
    FaultKind kind;
    const char* name;
    bool needsValue;
};

constexpr KindName kKinds[] = {
    {FaultKind::ServerError, "error", true},
    {FaultKind::HttpStatus, "status", false},
    {FaultKind::Malformed, "malformed", false},
    {FaultKind::Delay, "delay", true},
    {FaultKind::Drop, "drop", false},
    {FaultKind::ErrorAfterCommit, "error-after-commit", true},
    {FaultKind::StatusAfterCommit, "status-after-commit", false},
    {FaultKind::DelayAfterCommit, "delay-after-commit", true},
    {FaultKind::DropAfterCommit, "drop-after-commit", false},
};

const KindName* FindKind(std::string_view name) {
    for (const KindName& entry : kKinds) {
        if (name == entry.name) return &entry;
    }
    return nullptr;
}

bool ParseTarget(std::string_view target, FaultRule& rule, std::string& error) {
    rule.target = std::string(target);
    if (target == "*" || target == "download") return true;
    rule.functionId = FunctionTable::Resolve(target);
    if (rule.functionId == 0) {
        error = "unknown function \"" + rule.target +
                "\" (give a function name such as getAppsItemList, its id, \"*\" or \"download\")";
        return false;
    }
    return true;
}

bool CheckValue(const KindName& kind, bool hasValue, FaultRule& rule, std::string& error) {
    const FaultKind base = BaseKind(kind.kind);
    if (kind.needsValue && !hasValue) {
        error = std::string("fault \"") + kind.name + "\" needs a value, as in " + kind.name +
                (base == FaultKind::Delay ? "=1500" : "=9101");
        return false;
    }
    if (!kind.needsValue && hasValue && base != FaultKind::HttpStatus) {
        error = std::string("fault \"") + kind.name + "\" takes no value";
        return false;
    }
    if (base == FaultKind::HttpStatus) {
        if (!hasValue) rule.value = 500;
        if (rule.value < 100 || rule.value > 599 || rule.value == 200) {
            error = "an HTTP status fault needs a status from 100 to 599 other than 200";
            return false;
        }
    }
    if (base == FaultKind::Delay && (rule.value < 0 || rule.value > kMaxDelayMs)) {
        error = "a delay must lie between 0 and " + std::to_string(kMaxDelayMs) + " ms";
        return false;
    }
    if (base == FaultKind::ServerError && rule.target == "download") {
        error = "a download has no server error code; use status, malformed, delay or drop";
        return false;
    }
    if (IsAfterCommit(kind.kind) && rule.target == "download") {
        error = "a download commits nothing; use status, malformed, delay or drop";
        return false;
    }
    return true;
}

bool ParseKind(std::string_view text, FaultRule& rule, std::string& error) {
    const size_t eq = text.find('=');
    const std::string_view name = text.substr(0, eq);
    const KindName* kind = FindKind(name);
    if (!kind) {
        error = "unknown fault kind \"" + std::string(name) +
                "\" (use error, status, malformed, delay, drop, or error-, status-, delay- or drop-after-commit)";
        return false;
    }
    rule.kind = kind->kind;
    const bool hasValue = eq != std::string_view::npos;
    if (hasValue && !TextUtil::ParseInt(text.substr(eq + 1), rule.value)) {
        error = "the value of fault \"" + std::string(name) + "\" is not an integer: \"" +
                std::string(text.substr(eq + 1)) + "\"";
        return false;
    }
    return CheckValue(*kind, hasValue, rule, error);
}

bool Matches(const FaultRule& rule, int functionId, bool isDownload) {
    if (rule.target == "download") return isDownload;
    if (isDownload) return false;
    return rule.target == "*" || (rule.functionId != 0 && rule.functionId == functionId);
}

// Uses up one count of the rule; true when the rule is now spent.
bool Consume(FaultRule& rule) {
    if (rule.remaining > 0) --rule.remaining;
    return rule.remaining == 0;
}

}  // namespace

FaultKind BaseKind(FaultKind kind) {
    switch (kind) {
    case FaultKind::ErrorAfterCommit:
        return FaultKind::ServerError;
    case FaultKind::StatusAfterCommit:
        return FaultKind::HttpStatus;
    case FaultKind::DelayAfterCommit:
        return FaultKind::Delay;
    case FaultKind::DropAfterCommit:
        return FaultKind::Drop;
    default:
        return kind;
    }
}

bool IsAfterCommit(FaultKind kind) { return BaseKind(kind) != kind; }

bool FaultRule::Parse(std::string_view text, FaultRule& rule, std::string& error) {
    rule = FaultRule();
    const size_t first = text.find(':');
    if (first == std::string_view::npos || first == 0) {
        error = "a fault is written FUNCTION:KIND[=VALUE][:COUNT], e.g. getAppsItemList:error=9105:1";
        return false;
    }
    const std::string_view rest = text.substr(first + 1);
    const size_t second = rest.find(':');
    if (!ParseTarget(text.substr(0, first), rule, error) || !ParseKind(rest.substr(0, second), rule, error))
        return false;
    if (second != std::string_view::npos) {
        const std::string_view count = rest.substr(second + 1);
        if (!TextUtil::ParseInt(count, rule.remaining) || rule.remaining < 1) {
            error = "the count of a fault must be a positive integer, not \"" + std::string(count) + "\"";
            return false;
        }
    }
    return true;
}

std::string FaultRule::Describe() const {
    std::string text = target + ":";
    for (const KindName& entry : kKinds) {
        if (entry.kind == kind) text += entry.name;
    }
    const FaultKind base = BaseKind(kind);
    if (base == FaultKind::ServerError || base == FaultKind::HttpStatus || base == FaultKind::Delay)
        text += "=" + std::to_string(value);
    if (remaining >= 0) text += ":" + std::to_string(remaining);
    return text;
}

void FaultInjector::Add(const FaultRule& rule) {
    std::lock_guard lock(mutex_);
    rules_.push_back(rule);
}

void FaultInjector::Clear() {
    std::lock_guard lock(mutex_);
    rules_.clear();
}

int FaultInjector::ClearTarget(const std::string& target) {
    const int id = FunctionTable::Resolve(target);
    std::lock_guard lock(mutex_);
    const size_t before = rules_.size();
    std::erase_if(rules_,
                  [&](const FaultRule& rule) { return rule.target == target || (id != 0 && rule.functionId == id); });
    return static_cast<int>(before - rules_.size());
}

std::vector<FaultRule> FaultInjector::Rules() const {
    std::lock_guard lock(mutex_);
    return rules_;
}

FaultAction FaultInjector::Take(int functionId, bool isDownload) {
    std::lock_guard lock(mutex_);
    FaultAction action;
    for (auto it = rules_.begin(); it != rules_.end();) {
        const bool isDelay = it->kind == FaultKind::Delay;
        if (IsAfterCommit(it->kind) || !Matches(*it, functionId, isDownload) || (!isDelay && action.fault)) {
            ++it;
            continue;
        }
        if (isDelay)
            action.delayMs = std::min(kMaxDelayMs, action.delayMs + it->value);
        else
            action.fault = *it;
        it = Consume(*it) ? rules_.erase(it) : it + 1;
    }
    // A request stopped before its function commits nothing, so nothing follows a commit.
    if (action.fault) return action;
    for (auto it = rules_.begin(); it != rules_.end();) {
        const bool isDelay = it->kind == FaultKind::DelayAfterCommit;
        if (!IsAfterCommit(it->kind) || !Matches(*it, functionId, isDownload) || (!isDelay && action.afterCommit)) {
            ++it;
            continue;
        }
        if (isDelay)
            action.delayAfterCommitMs = std::min(kMaxDelayMs, action.delayAfterCommitMs + it->value);
        else
            action.afterCommit = *it;
        it = Consume(*it) ? rules_.erase(it) : it + 1;
    }
    return action;
}

}  // namespace Sandbox
