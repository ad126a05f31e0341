#pragma once

namespace Vx::Base {

// Root of the platform's reference types: collections hold Object pointers and
// compare keys with Equals and GetHashCode.
class Object {
public:
    Object() = default;
    Object(const Object&) = default;
    Object& operator=(const Object&) = default;
    virtual ~Object() = default;

    // Identity by default; value types override both together.
    virtual bool Equals(const Object& other) const { return this == &other; }
    virtual int GetHashCode() const;
};

}  // namespace Vx::Base
