#include "platform/base/HashMap.h"

#include <algorithm>
#include <new>

namespace Vx::Base::Collection {
namespace {

// A capacity from untrusted input must not turn into a huge allocation.
constexpr int kMaxReserve = 4096;
constexpr std::size_t kLinearSearchLimit = 16;

class HashMapEnumerator : public IMapEnumerator {
public:
    explicit HashMapEnumerator(const std::vector<HashMap::Entry>& entries) : entries_(entries) {}
    result MoveNext() override {
        if (next_ >= entries_.size()) return E_OUT_OF_RANGE;
        current_ = next_++;
        valid_ = true;
        return E_SUCCESS;
    }
    result Reset() override {
        next_ = 0, valid_ = false;
        return E_SUCCESS;
    }
    Object* GetKey() const override { return valid_ && current_ < entries_.size() ? entries_[current_].key : nullptr; }
    Object* GetValue() const override {
        return valid_ && current_ < entries_.size() ? entries_[current_].value : nullptr;
    }

private:
    const std::vector<HashMap::Entry>& entries_;
    std::size_t next_ = 0;
    std::size_t current_ = 0;
    bool valid_ = false;
};

}  // namespace

HashMap::~HashMap() { RemoveAll(); }

result HashMap::Construct(int capacity, float loadFactor) {
    if (capacity < 0 || !(loadFactor > 0.0f && loadFactor <= 1.0f)) return E_INVALID_ARG;
    entries_.reserve(static_cast<std::size_t>(std::min(capacity, kMaxReserve)));
    return E_SUCCESS;
}

long HashMap::Find(const Object& key, int hash) const {
    // Small maps (reply records, extra data) are searched directly: building
    // a hash index for them costs more allocations than it saves.
    if (!index_) {
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            if (entries_[i].hash == hash && entries_[i].key->Equals(key)) return static_cast<long>(i);
        }
        return -1;
    }
    auto [first, last] = index_->equal_range(hash);
    for (auto it = first; it != last; ++it) {
        if (entries_[it->second].key->Equals(key)) return static_cast<long>(it->second);
    }
    return -1;
}

void HashMap::Reindex() {
    if (entries_.size() <= kLinearSearchLimit) {
        index_.reset();
        return;
    }
    if (!index_) index_ = std::make_unique<std::unordered_multimap<int, std::size_t>>();
    index_->clear();
    for (std::size_t i = 0; i < entries_.size(); ++i)
        index_->emplace(entries_[i].hash, i);
}

void HashMap::Release(Object* key, Object* value) {
    if (ownership_ != ElementOwnership::Owned) return;
    delete key;
    if (value != key) delete value;
}

result HashMap::Add(Object* key, Object* value) {
    if (!key || !value) return E_INVALID_ARG;
    int hash = key->GetHashCode();
    if (Find(*key, hash) >= 0) return E_OBJ_ALREADY_EXIST;
    try {
        entries_.push_back(Entry{key, value, hash});
        if (entries_.size() == kLinearSearchLimit + 1) {
            Reindex();
        } else if (index_) {
            index_->emplace(hash, entries_.size() - 1);
        }
    } catch (const std::bad_alloc&) {
        if (!entries_.empty() && entries_.back().key == key) entries_.pop_back();
        index_.reset();
        try {
            Reindex();
        } catch (const std::bad_alloc&) {
        }
        return E_OUT_OF_MEMORY;
    }
    return E_SUCCESS;
}

result HashMap::SetValue(const Object& key, Object* value) {
    if (!value) return E_INVALID_ARG;
    long at = Find(key);
    if (at < 0) return E_OBJ_NOT_FOUND;
    auto& entry = entries_[static_cast<std::size_t>(at)];
    if (ownership_ == ElementOwnership::Owned && entry.value != value) delete entry.value;
    entry.value = value;
    return E_SUCCESS;
}

result HashMap::Remove(const Object& key) {
    long at = Find(key);
    if (at < 0) return E_OBJ_NOT_FOUND;
    auto entry = entries_[static_cast<std::size_t>(at)];
    entries_.erase(entries_.begin() + at);
    Reindex();
    Release(entry.key, entry.value);
    return E_SUCCESS;
}

void HashMap::RemoveAll() {
    auto entries = std::move(entries_);
    entries_.clear();
    index_.reset();
    for (auto& entry : entries)
        Release(entry.key, entry.value);
}

const Object* HashMap::GetValue(const Object& key) const {
    long at = Find(key);
    return at < 0 ? nullptr : entries_[static_cast<std::size_t>(at)].value;
}

Object* HashMap::GetValue(const Object& key) {
    long at = Find(key);
    return at < 0 ? nullptr : entries_[static_cast<std::size_t>(at)].value;
}

result HashMap::ContainsKey(const Object& key, bool& out) const {
    out = Find(key) >= 0;
    return E_SUCCESS;
}

bool HashMap::ContainsKey(const Object& key) const { return Find(key) >= 0; }

IMapEnumerator* HashMap::GetMapEnumeratorN() const { return new (std::nothrow) HashMapEnumerator(entries_); }

}  // namespace Vx::Base::Collection
