#pragma once
// The Wi-Fi adapter. Its MAC address comes from the [wifi] section of the
// device profile, or else from the machine's first non-loopback interface
// (one that is up, when there is one).
#include "platform/base/Result.h"
#include "platform/base/String.h"
#include "platform/system/IWifiManagerEventListener.h"

namespace Vx::Net::Wifi {

class WifiManager {
public:
    WifiManager() = default;
    WifiManager(const WifiManager&) = delete;
    WifiManager& operator=(const WifiManager&) = delete;

    // E_DEVICE_UNAVAILABLE when the profile says the device has no Wi-Fi
    // ([wifi] enabled = false); E_INVALID_STATE the second time.
    result Construct(IWifiManagerEventListener& listener);

    // Text such as "00:11:22:AA:BB:CC", read afresh on each call; empty when
    // not constructed or when there is no address.
    Base::String GetMacAddress() const;

private:
    IWifiManagerEventListener* listener_ = nullptr;
};

}  // namespace Vx::Net::Wifi
