#pragma once
// A button as wide as its text needs (at least 150 pixels, plus 24 of
// padding), 74 high, in the system face at 36 pixels.
#include "platform/ui/Button.h"

class UiButton : public Vx::Ui::Controls::Button {
public:
    static constexpr int kHeight = 74;
    static constexpr int kMinTextWidth = 150;
    static constexpr int kPadding = 24;
    static constexpr int kFontPixels = 36;

    UiButton() = default;
    ~UiButton() override = default;

    Vx::result Construct(const Vx::Base::String& text);
    // The width for a text of `textWidth` pixels.
    static int WidthFor(int textWidth);
};
