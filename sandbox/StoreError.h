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
};

// Short readable name ("MissingParameter") for logs and docs.
const char* StoreErrorName(StoreError error);

}  // namespace Sandbox
