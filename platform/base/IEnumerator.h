#pragma once
// Enumerators over the platform collections. MoveNext must be called before the
// first GetCurrent; it returns E_OUT_OF_RANGE past the last element.
#include "platform/base/Object.h"
#include "platform/base/Result.h"

namespace Vx::Base::Collection {

class IEnumerator {
public:
    virtual ~IEnumerator() = default;
    virtual Object* GetCurrent() const = 0;
    virtual result MoveNext() = 0;
    virtual result Reset() = 0;
};

template <class T>
class IEnumeratorT {
public:
    virtual ~IEnumeratorT() = default;
    // E_INVALID_STATE before the first MoveNext or past the end.
    virtual result GetCurrent(T& out) const = 0;
    virtual result MoveNext() = 0;
    virtual result Reset() = 0;
};

class IMapEnumerator : public IEnumerator {
public:
    Object* GetCurrent() const override { return GetValue(); }
    virtual Object* GetKey() const = 0;
    virtual Object* GetValue() const = 0;
};

// Who frees the elements of an Object-pointer collection.
enum class ElementOwnership { NotOwned, Owned };

}  // namespace Vx::Base::Collection
