#pragma once
// System information by key. A key is the platform prefix followed by
// "/system/<name>" ("http://vexmora.com/system/duid"); the value comes from the
// [system] section of the device profile.
#include "platform/base/Result.h"
#include "platform/base/String.h"

namespace Vx::System {

class SystemInfo {
public:
    // E_INVALID_ARG for a key outside that form; E_OBJ_NOT_FOUND when the value
    // is absent or empty. `value` is left alone on failure.
    static result GetValue(const Base::String& key, Base::String& value);
};

}  // namespace Vx::System
