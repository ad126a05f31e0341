#include "platform/system/SystemInfo.h"

#include "platform/base/PlatformHome.h"
#include "platform/system/DeviceProfile.h"

namespace Vx::System {

result SystemInfo::GetValue(const Base::String& key, Base::String& value) {
    const Base::String prefix = Base::String(Base::kPlatformIdPrefix) + L"/system/";
    if (!key.StartsWith(prefix) || key.GetLength() == prefix.GetLength()) return E_INVALID_ARG;
    Base::String name;
    key.SubString(prefix.GetLength(), name);
    if (name.Contains(L".")) return E_INVALID_ARG;

    DeviceProfile profile;
    profile.Load();
    Base::String found;
    result r = profile.GetValue(Base::String(L"system.") + name, found);
    if (r == E_INVALID_ARG) return E_INVALID_ARG;
    if (IsFailed(r) || found.IsEmpty()) return E_OBJ_NOT_FOUND;
    value = found;
    return E_SUCCESS;
}

}  // namespace Vx::System
