#pragma once
// List of Object pointers. With ElementOwnership::Owned it deletes the elements
// that leave it (RemoveAt, RemoveAll, destruction).
#include <vector>

#include "platform/base/IEnumerator.h"

namespace Vx::Base::Collection {

class ArrayList {
public:
    explicit ArrayList(ElementOwnership ownership = ElementOwnership::NotOwned) : ownership_(ownership) {}
    ArrayList(const ArrayList&) = delete;
    ArrayList& operator=(const ArrayList&) = delete;
    virtual ~ArrayList();

    result Construct(int capacity = 10);
    result Add(Object* element);  // E_INVALID_ARG for null
    result InsertAt(Object* element, int index);
    Object* GetAt(int index) const;  // null when out of range
    result RemoveAt(int index);
    void RemoveAll();
    int GetCount() const { return static_cast<int>(elements_.size()); }
    IEnumerator* GetEnumeratorN() const;
    ElementOwnership GetOwnership() const { return ownership_; }

private:
    ElementOwnership ownership_;
    std::vector<Object*> elements_;
};

}  // namespace Vx::Base::Collection
