#pragma once
// A bool as an object, so that it can travel in lists and maps (scene arguments).
#include "platform/base/Object.h"

namespace Vx::Base {

class Boolean : public Object {
public:
    explicit Boolean(bool value) : value_(value) {}
    Boolean(const Boolean&) = default;
    Boolean& operator=(const Boolean&) = default;
    ~Boolean() override = default;

    bool ToBool() const { return value_; }
    // Equal to another Boolean of the same value; never equal to another type.
    bool Equals(const Object& other) const override;
    int GetHashCode() const override;
    bool operator==(const Boolean& other) const { return value_ == other.value_; }

private:
    bool value_;
};

}  // namespace Vx::Base
