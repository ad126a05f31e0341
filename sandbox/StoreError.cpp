#include "sandbox/StoreError.h"

namespace Sandbox {

const char* StoreErrorName(StoreError error) {
    switch (error) {
    case StoreError::Success:
        return "Success";
    case StoreError::InternalError:
        return "InternalError";
    case StoreError::MalformedRequest:
        return "MalformedRequest";
    case StoreError::InvalidParameter:
        return "InvalidParameter";
    case StoreError::MissingParameter:
        return "MissingParameter";
    case StoreError::UnknownItemGroup:
        return "UnknownItemGroup";
    case StoreError::UnknownFunction:
        return "UnknownFunction";
    case StoreError::UnknownItem:
        return "UnknownItem";
    }
    return "Unknown";
}

}  // namespace Sandbox
