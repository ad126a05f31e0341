#pragma once
// Reference counting for the shared bodies of records and parameter lists.
#include <atomic>
#include <cstdint>

class IapRefCounter {
public:
    IapRefCounter() = default;
    // A copied body is a new, unshared body: its count starts again at one.
    IapRefCounter(const IapRefCounter&) {}
    IapRefCounter& operator=(const IapRefCounter&) { return *this; }

    // Both return whether the count is non-zero afterwards.
    bool ref() { return count_.fetch_add(1, std::memory_order_acq_rel) + 1 != 0; }
    bool deref() { return count_.fetch_sub(1, std::memory_order_acq_rel) - 1 != 0; }
    std::uint32_t value() const { return count_.load(std::memory_order_relaxed); }

private:
    std::atomic<std::uint32_t> count_{1};
};

// Returns a body that only the caller holds: the same one when it is not
// shared, otherwise a copy (count one) after releasing the shared one.
// Body needs a copy constructor and an IapRefCounter member named `ref`.
template <class Body>
Body* AtomicCopyOnWrite(Body* body) {
    if (body->ref.value() < 2) return body;
    Body* copy = new Body(*body);
    if (!body->ref.deref()) delete body;  // the other holders let go meanwhile
    return copy;
}

template <class Body>
void AtomicDetach(Body* body) {
    if (body && !body->ref.deref()) delete body;
}
