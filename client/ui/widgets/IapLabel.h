#pragma once
// A label in the system face that sizes itself to its text (or, for a
// label a layout stretches, only its height).
#include "platform/ui/Label.h"

class IapLabel : public Vx::Ui::Controls::Label {
public:
    // The same values as IapUiHelper::FontSize.
    enum FontSize {
        FONT_SIZE_SYSTEM_DEFAULT = -1,
        FONT_SIZE_SYSTEM = 0,
        FONT_SIZE_SMALL = 1,
        FONT_SIZE_MEDIUM = 2,
        FONT_SIZE_LARGE = 3,
    };

    IapLabel() = default;
    ~IapLabel() override = default;

    // E_INVALID_STATE when no system font can be had for the size.
    Vx::result Construct(const Vx::Base::String& text, Vx::Ui::Controls::LabelTextStyle style, int fontSize,
                         bool fitLayoutWidth);
};
