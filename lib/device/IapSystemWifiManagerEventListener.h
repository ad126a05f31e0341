#pragma once
// The identity only reads the adapter's address, so every event is ignored.
#include "platform/system/IWifiManagerEventListener.h"

class IapSystemWifiManagerEventListener : public Vx::Net::Wifi::IWifiManagerEventListener {
public:
    void OnWifiActivated(Vx::result r) override;
    void OnWifiDeactivated(Vx::result r) override;
    void OnWifiConnected(const Vx::Base::String& ssid, Vx::result r) override;
    void OnWifiDisconnected() override;
    void OnWifiRssiChanged(long rssi) override;
    void OnWifiScanCompletedN(Vx::Base::Collection::ArrayList* bssList, Vx::result r) override;
};
