#pragma once
// The running application's resources: a folder (the manifest's `resources`
// key, else <executable folder>/res/<appId>) with an optional strings.txt of
// `ID=text` lines (UTF-8; "\n" in a text stands for a line break).
#include <map>
#include <string>

#include "platform/base/String.h"

namespace Vx::App {

class AppResource {
public:
    // The running application's resources; never null.
    static AppResource* GetInstance();

    // E_OBJ_NOT_FOUND when the id (or the whole strings file) is absent.
    result GetString(const Vx::Base::String& resourceId, Vx::Base::String& out) const;
    // The resource folder, with a trailing slash.
    Vx::Base::String GetResourcePath() const;

    // Forgets the loaded strings (they are read again on the next lookup).
    void Reload();

private:
    AppResource() = default;
    void Load() const;

    mutable bool loaded_ = false;
    mutable std::map<std::wstring, Vx::Base::String> strings_;
};

}  // namespace Vx::App
