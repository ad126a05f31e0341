#include "lib/device/IapSystemWifiManagerEventListener.h"

void IapSystemWifiManagerEventListener::OnWifiActivated(Vx::result) {}

void IapSystemWifiManagerEventListener::OnWifiDeactivated(Vx::result) {}

void IapSystemWifiManagerEventListener::OnWifiConnected(const Vx::Base::String&, Vx::result) {}

void IapSystemWifiManagerEventListener::OnWifiDisconnected() {}

void IapSystemWifiManagerEventListener::OnWifiRssiChanged(long) {}

// The list is handed over with the call, so it is freed even though it is unused.
void IapSystemWifiManagerEventListener::OnWifiScanCompletedN(Vx::Base::Collection::ArrayList* bssList, Vx::result) {
    delete bssList;
}
