#pragma once
// The running application's resources: a folder (the manifest's `resources`
// key, else <executable folder>/res/<appId>) with an optional strings.txt of
// `ID=text` lines (UTF-8; "\n" in a text stands for a line break) and
// pictures (PNG files, in subfolders too).
#include <map>
#include <string>

#include "platform/base/String.h"

namespace Vx::Graphics {
class Bitmap;
}

namespace Vx::App {

class AppResource {
public:
    // The running application's resources; never null.
    static AppResource* GetInstance();

    // E_OBJ_NOT_FOUND when the id (or the whole strings file) is absent.
    result GetString(const Vx::Base::String& resourceId, Vx::Base::String& out) const;
    // A PNG picture of the resource folder; `name` may include subfolders
    // ("waiting/00.png"). Null when it is missing or unreadable, and for a name
    // that could leave the folder (empty, absolute, "..", a backslash, a
    // control character, or a symbolic link pointing outside). The caller
    // owns the bitmap. Needs the windowed platform library.
    Vx::Graphics::Bitmap* GetBitmapN(const Vx::Base::String& name) const;
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
