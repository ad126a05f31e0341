#pragma once
// The user's system settings (font size and face, ...), read from the device
// profile. A dotted key ("font.size") is the profile entry of that name; a
// plain key ("FontSize") is the entry of the [setting] section. Settings the
// profile does not name have defaults (docs/device-profile.md), so a device
// without a profile still draws text; an entry present but empty means the
// device has no such setting (E_OBJ_NOT_FOUND).
#include "platform/base/Result.h"
#include "platform/base/String.h"

namespace Vx::System {

class SettingInfo {
public:
    // E_OBJ_NOT_FOUND for an unknown key without entry, or an empty entry;
    // E_NUM_FORMAT when the int form meets a value that is not a whole number.
    static result GetValue(const Base::String& key, int& value);
    static result GetValue(const Base::String& key, Base::String& value);
};

}  // namespace Vx::System
