#pragma once

namespace Sandbox {

// Error codes this server writes into "errorString". All of them are codes the
// device recognises; each maps to a general failure on the device except
// where the device gives the code its own status.
enum class StoreError {
    Success = 0,
    InternalError = 9001,     // database or other server-side failure
    MalformedRequest = 9100,  // not a well-formed request document
    InvalidParameter = 9101,  // a parameter is present but unusable (bad range, not a number)
    MissingParameter = 9102,  // a required parameter is absent
    UnknownItemGroup = 9105,  // itemGroupID names no group
    UnknownFunction = 9106,   // function not known, or not served at this path
    UnknownItem = 9110,       // itemID names no item (of that group, where the request names one)
    NoCard = 9204,            // the user has no registered card
    CardExpired = 9205,       // the registered card has expired
    CardRefused = 9210,       // the card's issuer declines the charge
    NotPurchasedYet = 9219,   // checkPurchasedItem: no charge for that purchase id (yet)

    // Card registration refusals. The device does not know these codes (it
    // reads them as -1) but shows its card-registration message for 6014
    // and for every 5xxx, so they can say more precisely what is wrong.
    UnknownCardType = 5001,    // cardType is no card company of the country
    BadCardNumber = 5002,      // not 12 to 19 digits, or the check digit is wrong
    BadExpiry = 5003,          // month or year unreadable, or the card has expired
    BadSecurityCode = 5004,    // the CVC is not 3 or 4 digits
    CardNotRegistered = 6014,  // the user is unknown or the card could not be stored
};

// Short readable name ("MissingParameter") for logs and docs.
const char* StoreErrorName(StoreError error);

}  // namespace Sandbox
