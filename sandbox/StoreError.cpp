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
    case StoreError::NoCard:
        return "NoCard";
    case StoreError::CardExpired:
        return "CardExpired";
    case StoreError::CardRefused:
        return "CardRefused";
    case StoreError::NotPurchasedYet:
        return "NotPurchasedYet";
    case StoreError::UnknownCardType:
        return "UnknownCardType";
    case StoreError::BadCardNumber:
        return "BadCardNumber";
    case StoreError::BadExpiry:
        return "BadExpiry";
    case StoreError::BadSecurityCode:
        return "BadSecurityCode";
    case StoreError::CardNotRegistered:
        return "CardNotRegistered";
    }
    return "Unknown";
}

}  // namespace Sandbox
