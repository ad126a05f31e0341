#pragma once
// Vocabulary shared by applications, application control and its callers.
#include "platform/base/String.h"

namespace Vx::App {

using AppId = Vx::Base::String;
// Identifies one application-control request inside the providing process.
using RequestId = long;

constexpr RequestId INVALID_REQUEST_ID = -1;

// Outcome of an application-control request as its caller sees it.
enum AppCtrlResult {
    APP_CTRL_RESULT_SUCCEEDED = 0,
    APP_CTRL_RESULT_FAILED = 1,
    APP_CTRL_RESULT_CANCELED = 2,
    APP_CTRL_RESULT_TERMINATED = 3,  // the provider's process ended without answering
    APP_CTRL_RESULT_ABORTED = 4,     // the request could not be delivered
};

// "SUCCEEDED", "FAILED", ...; "UNKNOWN" for other values.
const char* GetAppCtrlResultName(int result);

enum BatteryLevel {
    BATTERY_FULL,
    BATTERY_HIGH,
    BATTERY_LOW,
    BATTERY_CRITICAL,
    BATTERY_EMPTY,
};

}  // namespace Vx::App
