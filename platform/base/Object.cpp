#include "platform/base/Object.h"

#include <cstdint>

namespace Vx::Base {

int Object::GetHashCode() const {
    auto address = reinterpret_cast<std::uintptr_t>(this);
    return static_cast<int>(address ^ (address >> 32));
}

}  // namespace Vx::Base
