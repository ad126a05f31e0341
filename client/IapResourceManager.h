#pragma once
// Display texts and bitmaps from buyclient's resources. Texts are looked up
// when they are shown, by resource id ("IDS_ZUMEA_...").
#include <initializer_list>

#include "client/IapTextFormatter.h"
#include "platform/base/String.h"

namespace Vx::Graphics {
class Bitmap;
}

class IapResourceManager {
public:
    IapResourceManager() = delete;

    // The text of the id; the id itself when the resources lack it; one space
    // for an empty text (so that a label keeps its height).
    static Vx::Base::String GetStringFromID(const Vx::Base::String& resourceId);
    // The text of the id with its placeholders filled (IapTextFormatter), at
    // most maxLength characters. A text with the wrong placeholders shows
    // them unfilled rather than failing.
    static Vx::Base::String FormatStringFromID(const Vx::Base::String& resourceId,
                                               std::initializer_list<IapTextFormatter::Argument> arguments,
                                               int maxLength = IapTextFormatter::kDefaultMaxLength);
    // A bitmap of the resource folder ("waiting/01.png" may name a subfolder);
    // null without a running application or when it cannot be read. The
    // caller deletes it.
    static Vx::Graphics::Bitmap* GetBitmapN(const Vx::Base::String& name);
};
