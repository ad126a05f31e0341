#include "platform/system/WifiManager.h"

#include <QNetworkInterface>

#include "platform/system/DeviceProfile.h"

namespace Vx::Net::Wifi {
namespace {

constexpr int kMacTextLength = 17;

bool IsDisabled(const System::DeviceProfile& profile) {
    Base::String enabled;
    if (IsFailed(profile.GetValue(L"wifi.enabled", enabled))) return false;
    Base::String lower = enabled.ToLower();
    return lower == L"false" || lower == L"no" || lower == L"0" || lower == L"off";
}

// An interface that is up wins over one that is down (such as an unused virtual device).
Base::String LookUpMachineMacAddress() {
    QString fallback;
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        if (interface.flags().testFlag(QNetworkInterface::IsLoopBack)) continue;
        QString address = interface.hardwareAddress();
        if (address.size() != kMacTextLength || address == QLatin1String("00:00:00:00:00:00")) continue;
        if (interface.flags().testFlag(QNetworkInterface::IsUp)) {
            return Base::String::FromUtf8(address.toUtf8().toStdString());
        }
        if (fallback.isEmpty()) fallback = address;
    }
    return Base::String::FromUtf8(fallback.toUtf8().toStdString());
}

// Listing the interfaces asks the kernel twice over netlink; the hardware
// address does not change while a process runs, and the device identity asks for it more than once.
Base::String MachineMacAddress() {
    static const Base::String address = LookUpMachineMacAddress();
    return address;
}

}  // namespace

result WifiManager::Construct(IWifiManagerEventListener& listener) {
    if (listener_ != nullptr) return E_INVALID_STATE;
    System::DeviceProfile profile;
    profile.Load();
    if (IsDisabled(profile)) return E_DEVICE_UNAVAILABLE;
    listener_ = &listener;
    return E_SUCCESS;
}

Base::String WifiManager::GetMacAddress() const {
    if (listener_ == nullptr) return Base::String();
    System::DeviceProfile profile;
    profile.Load();
    if (IsDisabled(profile)) return Base::String();
    Base::String mac;
    // Present but empty means an adapter that reports no address.
    if (!IsFailed(profile.GetValue(L"wifi.mac", mac))) return mac;
    return MachineMacAddress();
}

}  // namespace Vx::Net::Wifi
