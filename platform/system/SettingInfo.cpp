#include "platform/system/SettingInfo.h"

#include <cwchar>
#include <string>

#include "platform/system/DeviceProfile.h"

namespace Vx::System {

namespace {

struct Default {
    const wchar_t* key;
    const wchar_t* value;
};

// What a device without a profile says: medium text in DejaVu Sans.
constexpr Default kDefaults[] = {
    {L"font.size", L"35"},
    {L"font.type", L"DejaVu Sans"},
    {L"FontSize", L"medium"},
    {L"FontType", L"DejaVu Sans"},
};

Base::String ProfileKey(const Base::String& key) { return key.Contains(L".") ? key : Base::String(L"setting.") + key; }

result Lookup(const Base::String& key, Base::String& value) {
    if (key.IsEmpty()) return E_INVALID_ARG;
    DeviceProfile profile;
    profile.Load();
    Base::String found;
    result r = profile.GetValue(ProfileKey(key), found);
    if (r == E_INVALID_ARG) return E_INVALID_ARG;
    if (r == E_SUCCESS) {
        if (found.IsEmpty()) return E_OBJ_NOT_FOUND;
        value = found;
        return E_SUCCESS;
    }
    for (const Default& d : kDefaults) {
        if (key == Base::String(d.key)) {
            value = Base::String(d.value);
            return E_SUCCESS;
        }
    }
    return E_OBJ_NOT_FOUND;
}

}  // namespace

result SettingInfo::GetValue(const Base::String& key, Base::String& value) { return Lookup(key, value); }

result SettingInfo::GetValue(const Base::String& key, int& value) {
    Base::String text;
    result r = Lookup(key, text);
    if (r != E_SUCCESS) return r;
    const std::wstring& s = text.ToStdWString();
    if (s.empty() || s.size() > 9) return E_NUM_FORMAT;
    std::size_t start = s[0] == L'-' ? 1 : 0;
    if (start == s.size()) return E_NUM_FORMAT;
    int parsed = 0;
    for (std::size_t i = start; i < s.size(); ++i) {
        if (s[i] < L'0' || s[i] > L'9') return E_NUM_FORMAT;
        parsed = parsed * 10 + (s[i] - L'0');
    }
    value = start ? -parsed : parsed;
    return E_SUCCESS;
}

}  // namespace Vx::System
