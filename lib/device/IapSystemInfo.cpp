#include "lib/device/IapSystemInfo.h"

#include "lib/device/IapLibBogusSystemInfo.h"
#include "lib/device/IapSystemWifiManagerEventListener.h"
#include "platform/base/Number.h"
#include "platform/base/PlatformHome.h"
#include "platform/system/SimInfo.h"
#include "platform/system/SystemInfo.h"
#include "platform/system/WifiManager.h"

using Vx::Base::String;

namespace {

constexpr const wchar_t* kUndefined = L"undefined";
constexpr const wchar_t* kNoPhoneNumber = L"+000000000000";
constexpr int kMacTextLength = 17;
constexpr int kMacDigits = 12;

bool ReadSim(Vx::Telephony::SimInfo& sim) { return !Vx::IsFailed(sim.Construct()); }

void ApplyCountryCode(const String& override, String& mcc) {
    if (!override.IsEmpty() && override != L"000") {
        mcc = override;
    } else if (Vx::Telephony::SimInfo sim; ReadSim(sim)) {
        mcc.Clear();
        int code = sim.GetMobileCountryCode();
        if (code != -1) mcc = Vx::Base::Integer::ToString(code);
    }
    if (mcc == kUndefined) mcc = L"000";
}

void ApplyNetworkCode(const String& override, String& mnc) {
    if (!override.IsEmpty() && override != L"00") {
        mnc = override;
    } else if (Vx::Telephony::SimInfo sim; ReadSim(sim)) {
        mnc.Clear();
        int code = sim.GetMobileNetworkCode();
        if (code != -1) {
            if (code <= 9) mnc = L"0";
            mnc += Vx::Base::Integer::ToString(code);
        }
    }
    if (mnc.IsEmpty() || mnc == kUndefined) mnc = L"00";
}

void ApplyPhoneNumber(const String& override, String& phoneNumber) {
    if (!override.IsEmpty()) {
        phoneNumber = override;
    } else if (Vx::Telephony::SimInfo sim; ReadSim(sim)) {
        phoneNumber = sim.GetPhoneNumber();
    }
    if (phoneNumber.IsEmpty()) phoneNumber = kNoPhoneNumber;
}

String SystemKey(const wchar_t* path) { return String(Vx::Base::kPlatformIdPrefix) + path; }

bool IsHexDigit(wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F'); }

// Six pairs of hex digits at 0, 3, ..., 15, whatever the separators.
bool TakeSeparatedPairs(const String& mac, String& digits) {
    if (mac.GetLength() < kMacTextLength) return false;
    String taken;
    for (int pair = 0; pair < 6; ++pair) {
        wchar_t high = mac[pair * 3];
        wchar_t low = mac[pair * 3 + 1];
        if (!IsHexDigit(high) || !IsHexDigit(low)) return false;
        taken += high;
        taken += low;
    }
    digits = taken;
    return true;
}

// Addresses written without separators or in other groupings ("001122AABBCC", "0011.22aa.bbcc").
bool TakeBareDigits(const String& mac, String& digits) {
    String taken;
    for (wchar_t c : mac.ToStdWString()) {
        if (IsHexDigit(c)) {
            taken += c;
        } else if (c != L':' && c != L'-' && c != L'.' && c != L' ') {
            return false;
        }
    }
    if (taken.GetLength() != kMacDigits) return false;
    digits = taken;
    return true;
}

}  // namespace

IapSystemInfo& IapSystemInfo::GetInstance() {
    static IapSystemInfo instance;
    instance.Construct();
    return instance;
}

void IapSystemInfo::Construct() {
    if (constructed_) return;
    constructed_ = true;
    SetBogusSystemInfo(IapLibBogusSystemInfo());
    language = L"EN";
    protocolVersion = L"1.0";
    mode = L"0";
}

void IapSystemInfo::SetBogusSystemInfo(const IapLibBogusSystemInfo& bogus) {
    ApplyCountryCode(bogus.mcc, mcc);
    ApplyNetworkCode(bogus.mnc, mnc);
    ApplyPhoneNumber(bogus.phoneNumber, phoneNumber);

    if (!bogus.imei.IsEmpty()) {
        deviceId = bogus.imei;
    } else if (String duid; !Vx::IsFailed(Vx::System::SystemInfo::GetValue(SystemKey(L"/system/duid"), duid))) {
        deviceId = duid;
    } else {
        GetGuid(deviceId);
    }

    if (!bogus.deviceModel.IsEmpty()) {
        deviceModel = bogus.deviceModel;
    } else if (String model; !Vx::IsFailed(Vx::System::SystemInfo::GetValue(SystemKey(L"/system/model_name"), model))) {
        deviceModel = model;
    }
}

String IapSystemInfo::GetNetworkType() const { return String(L"0"); }

Vx::result IapSystemInfo::GetGuid(String& out) {
    out = kUnknownGuid;
    IapSystemWifiManagerEventListener listener;
    Vx::Net::Wifi::WifiManager wifi;
    Vx::result r = wifi.Construct(listener);
    if (Vx::IsFailed(r)) return Vx::E_DEVICE_UNAVAILABLE;
    String mac = wifi.GetMacAddress();
    if (mac.IsEmpty()) return Vx::E_DEVICE_UNAVAILABLE;
    String digits;
    if (!TakeSeparatedPairs(mac, digits) && !TakeBareDigits(mac, digits)) return Vx::E_INVALID_FORMAT;
    out = digits + L"1";
    return Vx::E_SUCCESS;
}

void IapSystemInfo::ResetForTesting() { *this = IapSystemInfo(); }
