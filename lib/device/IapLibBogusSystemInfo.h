#pragma once
// Developer overrides of the device identity, taken from a caller's request.
// An empty string leaves that value to the device.
#include "platform/base/String.h"

class IapLibBogusSystemInfo {
public:
    Vx::Base::String imei;  // device id
    Vx::Base::String mcc;
    Vx::Base::String mnc;
    Vx::Base::String deviceModel;
    Vx::Base::String phoneNumber;

    // Applies these overrides to IapSystemInfo::GetInstance().
    void Set() const;
};
