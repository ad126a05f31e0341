#pragma once
// List of values of T (records, strings, numbers). Copyable: a copy holds
// copies of the elements (records then share their bodies).
#include <algorithm>
#include <new>
#include <vector>

#include "platform/base/IEnumerator.h"

namespace Vx::Base::Collection {

template <class T>
class ArrayListT {
public:
    ArrayListT() = default;
    ArrayListT(const ArrayListT&) = default;
    ArrayListT& operator=(const ArrayListT&) = default;
    virtual ~ArrayListT() = default;

    // Capacity is a hint, capped so that a number from outside cannot force a huge allocation.
    result Construct(int capacity = 10) {
        if (capacity < 0) return E_INVALID_ARG;
        return Reserve(capacity);
    }
    result SetCapacity(int capacity) { return Construct(capacity); }
    int GetCapacity() const { return static_cast<int>(elements_.capacity()); }

    result Add(const T& element) {
        try {
            elements_.push_back(element);
        } catch (const std::bad_alloc&) {
            return E_OUT_OF_MEMORY;
        }
        return E_SUCCESS;
    }
    result AddItems(const ArrayListT<T>& other) {
        for (const T& element : other.elements_) {
            result r = Add(element);
            if (r != E_SUCCESS) return r;
        }
        return E_SUCCESS;
    }
    result InsertAt(const T& element, int index) {
        if (index < 0 || index > GetCount()) return E_OUT_OF_RANGE;
        elements_.insert(elements_.begin() + index, element);
        return E_SUCCESS;
    }
    result GetAt(int index, T& out) const {
        if (index < 0 || index >= GetCount()) return E_OUT_OF_RANGE;
        out = elements_[static_cast<std::size_t>(index)];
        return E_SUCCESS;
    }
    // Direct access for the platform's own code; index must be valid.
    const T& At(int index) const { return elements_[static_cast<std::size_t>(index)]; }
    result SetAt(const T& element, int index) {
        if (index < 0 || index >= GetCount()) return E_OUT_OF_RANGE;
        elements_[static_cast<std::size_t>(index)] = element;
        return E_SUCCESS;
    }
    result RemoveAt(int index) {
        if (index < 0 || index >= GetCount()) return E_OUT_OF_RANGE;
        elements_.erase(elements_.begin() + index);
        return E_SUCCESS;
    }
    void RemoveAll() { elements_.clear(); }
    int GetCount() const { return static_cast<int>(elements_.size()); }
    bool Contains(const T& element) const {
        return std::find(elements_.begin(), elements_.end(), element) != elements_.end();
    }
    result IndexOf(const T& element, int& index) const {
        auto it = std::find(elements_.begin(), elements_.end(), element);
        if (it == elements_.end()) return E_OBJ_NOT_FOUND;
        index = static_cast<int>(it - elements_.begin());
        return E_SUCCESS;
    }
    // The caller deletes the enumerator; it must not outlive the list.
    IEnumeratorT<T>* GetEnumeratorN() const { return new (std::nothrow) Enumerator(elements_); }

private:
    static constexpr int kMaxReserve = 4096;

    result Reserve(int capacity) {
        try {
            elements_.reserve(static_cast<std::size_t>(std::min(capacity, kMaxReserve)));
        } catch (const std::bad_alloc&) {
            return E_OUT_OF_MEMORY;
        }
        return E_SUCCESS;
    }

    class Enumerator : public IEnumeratorT<T> {
    public:
        explicit Enumerator(const std::vector<T>& elements) : elements_(elements) {}
        result GetCurrent(T& out) const override {
            if (next_ == 0 || next_ > elements_.size()) return E_INVALID_STATE;
            out = elements_[next_ - 1];
            return E_SUCCESS;
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
        const std::vector<T>& elements_;
        std::size_t next_ = 0;
    };

    std::vector<T> elements_;
};

}  // namespace Vx::Base::Collection
