#pragma once
// Result values shared by the platform and the system: 0 is success, every
// failure has a fixed number, a readable name and a message.
#include <cstdint>

namespace Vx {

using result = std::uint32_t;

// Success.
constexpr result E_SUCCESS = 0x00000000;
// General failures (0x8xxxxxxx).
constexpr result E_FAILURE = 0x80000000;
// Caller and state errors (0xA00004xx - 0xA00005xx).
constexpr result E_INVALID_OPERATION = 0xA0000451;  // a set-up step (such as a parameter list) failed
constexpr result E_INVALID_STATE = 0xA0000452;      // already constructed, or not in a usable state
constexpr result E_UNDERFLOW = 0xA0000583;          // too few entries
// Argument and data errors (0xA00007xx).
constexpr result E_IN_PROGRESS = 0xA000076D;  // a transaction or request is already in progress
constexpr result E_INVALID_ARG = 0xA0000775;
constexpr result E_INVALID_FORMAT = 0xA0000778;
constexpr result E_NUM_FORMAT = 0xA0000779;  // text is not a number of the wanted type
constexpr result E_OUT_OF_RANGE = 0xA000077A;
constexpr result E_OBJ_ALREADY_EXIST = 0xA000077B;
constexpr result E_INVALID_ENCODING = 0xA000077C;
constexpr result E_OBJ_NOT_FOUND = 0xA0000835;
// Resources and devices (0xA00008xx - 0xA00009xx).
constexpr result E_DEVICE_UNAVAILABLE = 0xA0000880;
constexpr result E_STORAGE_FULL = 0xA0000881;
constexpr result E_IO = 0xA0000882;
constexpr result E_SYSTEM = 0xA0000883;
constexpr result E_OUT_OF_MEMORY = 0xA00009CA;
// Network (0xA0000Cxx).
constexpr result E_CONNECTION_FAILED = 0xA0000C01;
constexpr result E_TIMEOUT = 0xA0000C02;
constexpr result E_NETWORK_UNAVAILABLE = 0xA0000C03;
constexpr result E_HOST_NOT_FOUND = 0xA0000C04;
constexpr result E_PERMISSION_DENIED = 0xA0000C05;

inline bool IsFailed(result r) { return r != E_SUCCESS; }

// Readable name of a result ("E_INVALID_ARG"); "E_UNKNOWN" for other values.
const char* GetResultName(result r);
// The platform's error text for a result ("Invalid argument."); empty for success.
const char* GetErrorMessage(result r);

}  // namespace Vx
