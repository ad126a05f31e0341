#pragma once
// The SIM card of the device, as the device profile describes it ([sim] section).
#include "platform/base/Result.h"
#include "platform/base/String.h"

namespace Vx::Telephony {

class SimInfo {
public:
    SimInfo() = default;
    SimInfo(const SimInfo&) = delete;
    SimInfo& operator=(const SimInfo&) = delete;

    // E_DEVICE_UNAVAILABLE when the device has no SIM; E_INVALID_STATE the second time.
    result Construct();

    // The codes are read afresh on each call: 0-999, or -1 when unknown, malformed or the SIM is gone.
    int GetMobileCountryCode() const;
    int GetMobileNetworkCode() const;
    // Empty when unknown.
    Base::String GetPhoneNumber() const;

private:
    int ReadCode(const wchar_t* key) const;

    bool constructed_ = false;
};

}  // namespace Vx::Telephony
