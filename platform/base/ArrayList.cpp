#include "platform/base/ArrayList.h"

#include <algorithm>
#include <new>

namespace Vx::Base::Collection {
namespace {

constexpr int kMaxReserve = 4096;

class ArrayListEnumerator : public IEnumerator {
public:
    explicit ArrayListEnumerator(const std::vector<Object*>& elements) : elements_(elements) {}
    Object* GetCurrent() const override {
        return next_ > 0 && next_ - 1 < elements_.size() ? elements_[next_ - 1] : nullptr;
    }
    result MoveNext() override {
        if (next_ >= elements_.size()) return E_OUT_OF_RANGE;
        ++next_;
        return E_SUCCESS;
    }
    result Reset() override {
        next_ = 0;
        return E_SUCCESS;
    }

private:
    const std::vector<Object*>& elements_;
    std::size_t next_ = 0;
};

}  // namespace

ArrayList::~ArrayList() { RemoveAll(); }

result ArrayList::Construct(int capacity) {
    if (capacity < 0) return E_INVALID_ARG;
    elements_.reserve(static_cast<std::size_t>(std::min(capacity, kMaxReserve)));
    return E_SUCCESS;
}

result ArrayList::Add(Object* element) {
    if (!element) return E_INVALID_ARG;
    try {
        elements_.push_back(element);
    } catch (const std::bad_alloc&) {
        return E_OUT_OF_MEMORY;
    }
    return E_SUCCESS;
}

result ArrayList::InsertAt(Object* element, int index) {
    if (!element) return E_INVALID_ARG;
    if (index < 0 || index > GetCount()) return E_OUT_OF_RANGE;
    elements_.insert(elements_.begin() + index, element);
    return E_SUCCESS;
}

Object* ArrayList::GetAt(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return elements_[static_cast<std::size_t>(index)];
}

result ArrayList::RemoveAt(int index) {
    if (index < 0 || index >= GetCount()) return E_OUT_OF_RANGE;
    Object* element = elements_[static_cast<std::size_t>(index)];
    elements_.erase(elements_.begin() + index);
    if (ownership_ == ElementOwnership::Owned) delete element;
    return E_SUCCESS;
}

void ArrayList::RemoveAll() {
    auto elements = std::move(elements_);
    elements_.clear();
    if (ownership_ == ElementOwnership::Owned) {
        for (Object* element : elements)
            delete element;
    }
}

IEnumerator* ArrayList::GetEnumeratorN() const { return new (std::nothrow) ArrayListEnumerator(elements_); }

}  // namespace Vx::Base::Collection
