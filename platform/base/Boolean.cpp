#include "platform/base/Boolean.h"

namespace Vx::Base {

bool Boolean::Equals(const Object& other) const {
    const auto* that = dynamic_cast<const Boolean*>(&other);
    return that && that->value_ == value_;
}

int Boolean::GetHashCode() const { return value_ ? 1 : 0; }

}  // namespace Vx::Base
