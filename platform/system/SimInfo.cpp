#include "platform/system/SimInfo.h"

#include "platform/base/Number.h"
#include "platform/system/DeviceProfile.h"

namespace Vx::Telephony {
namespace {

constexpr int kMaxCode = 999;

// Only plain digits count: a sign, spaces or an overflowing number make the code unknown.
int ParseCode(const Base::String& text) {
    if (text.IsEmpty() || text.GetLength() > 9) return -1;
    for (wchar_t c : text.ToStdWString()) {
        if (c < L'0' || c > L'9') return -1;
    }
    int value = -1;
    if (IsFailed(Base::Integer::Parse(text, value)) || value > kMaxCode) return -1;
    return value;
}

bool ReadSim(System::DeviceProfile& profile) {
    profile.Load();
    return profile.HasSection(L"sim");
}

}  // namespace

result SimInfo::Construct() {
    if (constructed_) return E_INVALID_STATE;
    System::DeviceProfile profile;
    if (!ReadSim(profile)) return E_DEVICE_UNAVAILABLE;
    constructed_ = true;
    return E_SUCCESS;
}

int SimInfo::ReadCode(const wchar_t* key) const {
    System::DeviceProfile profile;
    Base::String text;
    if (!constructed_ || !ReadSim(profile) || IsFailed(profile.GetValue(key, text))) return -1;
    return ParseCode(text);
}

int SimInfo::GetMobileCountryCode() const { return ReadCode(L"sim.mcc"); }

int SimInfo::GetMobileNetworkCode() const { return ReadCode(L"sim.mnc"); }

Base::String SimInfo::GetPhoneNumber() const {
    System::DeviceProfile profile;
    Base::String number;
    if (!constructed_ || !ReadSim(profile) || IsFailed(profile.GetValue(L"sim.phone_number", number))) {
        return Base::String();
    }
    return number;
}

}  // namespace Vx::Telephony
