#include "sandbox/StoreRequest.h"

namespace Sandbox {

const std::string* StoreRequest::Param(const std::string& name) const {
    for (const auto& [key, value] : params) {
        if (key == name) return &value;
    }
    return nullptr;
}

}  // namespace Sandbox
