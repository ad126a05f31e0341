#pragma once

// The "resultCode" values of the account applications. Any other value is a failure.
namespace OblinAccountResult {
enum ResultCode : int {
    RESULT_SUCCESS = 0,
    RESULT_NOT_SIGNED_IN = 1,  // no usable sign-in: callers start the sign-in
    RESULT_CANCELED = 2,
    RESULT_NETWORK_FAILURE = 3,
    RESULT_INVALID_ANSWER = 4,  // the answer carried no readable result code
    RESULT_TIMED_OUT = 8,       // no answer within the time limit (never sent by the account applications)
};
}  // namespace OblinAccountResult
