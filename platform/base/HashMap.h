#pragma once
// Map of Object keys to Object values, in insertion order; itself an Object so
// that platform lists can hold maps (reply records, country lists). With
// ElementOwnership::Owned it deletes its keys and values when they leave it.
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/base/IMap.h"

namespace Vx::Base::Collection {

class HashMap : public Object, public IMap {
public:
    explicit HashMap(ElementOwnership ownership = ElementOwnership::NotOwned) : ownership_(ownership) {}
    HashMap(const HashMap&) = delete;
    HashMap& operator=(const HashMap&) = delete;
    ~HashMap() override;

    // Capacity is a hint; a negative capacity or a load factor outside (0, 1] is E_INVALID_ARG.
    result Construct(int capacity = 16, float loadFactor = 0.75f);
    // E_INVALID_ARG for a null key or value, E_OBJ_ALREADY_EXIST for a present key.
    // On failure the map does not take the objects.
    result Add(Object* key, Object* value);
    // Replaces the value of a present key (the old one is freed when owned); E_OBJ_NOT_FOUND otherwise.
    result SetValue(const Object& key, Object* value);
    result Remove(const Object& key);
    void RemoveAll();

    int GetCount() const override { return static_cast<int>(entries_.size()); }
    const Object* GetValue(const Object& key) const override;
    Object* GetValue(const Object& key);
    result ContainsKey(const Object& key, bool& out) const override;
    bool ContainsKey(const Object& key) const;
    IMapEnumerator* GetMapEnumeratorN() const override;
    ElementOwnership GetOwnership() const { return ownership_; }

    // The key's hash is kept beside it, so that a look-up calls the keys'
    // Equals only for a likely match.
    struct Entry {
        Object* key;
        Object* value;
        int hash;
    };

private:
    long Find(const Object& key) const { return Find(key, key.GetHashCode()); }
    long Find(const Object& key, int hash) const;
    void Reindex();
    void Release(Object* key, Object* value);

    ElementOwnership ownership_;
    std::vector<Entry> entries_;
    // Made only for maps too large to search directly; most never need it.
    std::unique_ptr<std::unordered_multimap<int, std::size_t>> index_;
};

}  // namespace Vx::Base::Collection
