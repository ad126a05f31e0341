#pragma once
// Read-only view of a map from Object keys to Object values (keys compared
// with Equals/GetHashCode). Application-control extra data and reply records
// are read through it.
#include "platform/base/IEnumerator.h"

namespace Vx::Base::Collection {

class IMap {
public:
    virtual ~IMap() = default;
    virtual int GetCount() const = 0;
    // Null when the key is absent.
    virtual const Object* GetValue(const Object& key) const = 0;
    virtual result ContainsKey(const Object& key, bool& out) const = 0;
    // Entries in insertion order; the caller deletes the enumerator.
    virtual IMapEnumerator* GetMapEnumeratorN() const = 0;
};

}  // namespace Vx::Base::Collection
