#pragma once
// Events of the Wi-Fi adapter. The stand-in's adapter never changes state, so
// these are only called by code that simulates such changes.
#include "platform/base/ArrayList.h"
#include "platform/base/Result.h"
#include "platform/base/String.h"

namespace Vx::Net::Wifi {

class IWifiManagerEventListener {
public:
    virtual ~IWifiManagerEventListener() = default;

    virtual void OnWifiActivated(result r) = 0;
    virtual void OnWifiDeactivated(result r) = 0;
    virtual void OnWifiConnected(const Base::String& ssid, result r) = 0;
    virtual void OnWifiDisconnected() = 0;
    virtual void OnWifiRssiChanged(long rssi) = 0;
    // The listener owns the list of found networks (null on failure).
    virtual void OnWifiScanCompletedN(Base::Collection::ArrayList* bssList, result r) = 0;
};

}  // namespace Vx::Net::Wifi
