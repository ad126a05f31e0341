#pragma once
// Factories for the controls buyclient's screens are built from, and the
// user's system font. `N` results are new objects that the caller owns; null
// on failure (nothing half-built is left behind).
#include "platform/base/String.h"
#include "platform/ui/EditField.h"
#include "platform/ui/Font.h"
#include "platform/ui/TextBox.h"

namespace Vx::Ui {
class IActionEventListener;
}
namespace Vx::Ui::Controls {
class Button;
}

class IapUiHelper {
public:
    // Shared with IapLabel::FontSize.
    enum FontSize {
        FONT_SIZE_SYSTEM_DEFAULT = -1,
        FONT_SIZE_SYSTEM = 0,
        FONT_SIZE_SMALL = 1,
        FONT_SIZE_MEDIUM = 2,
        FONT_SIZE_LARGE = 3,
    };
    static constexpr int kSmallPixels = 25;
    static constexpr int kMediumPixels = 35;
    static constexpr int kLargePixels = 40;

    IapUiHelper() = delete;

    // A font of the system face at `pixelSize` (-1: the system size). Null
    // when the size or the face cannot be read from the system settings.
    static Vx::Graphics::Font* GetCurrentSystemFontN(int pixelSize, int fontStyle);
    static Vx::Graphics::Font* GetCurrentSystemFontN(FontSize size, int fontStyle);
    // 1, 2, 3 → 25, 35, 40 pixels; anything else → -1 (the system size).
    static int ToPixelSize(int fontSize);

    // A full-screen-input edit field at (0, 0, 150, 112), limit 100.
    static Vx::Ui::Controls::EditField* CreateEditFieldN(const Vx::Base::String& guideText,
                                                         Vx::Ui::Controls::EditInputModeCategory category,
                                                         Vx::Ui::Controls::EditFieldStyle style);
    // A UiButton; with a listener it reports `actionId` to it.
    static Vx::Ui::Controls::Button* CreateButtonN(const Vx::Base::String& text, int actionId,
                                                   Vx::Ui::IActionEventListener* listener);
    // A text box `lines` rows of the system font high; null without a font.
    static Vx::Ui::Controls::TextBox* CreateTextBoxN(const Vx::Base::String& text, int lines, FontSize size,
                                                     Vx::Ui::Controls::TextBoxBorder border);
};
