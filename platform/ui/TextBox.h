#pragma once
// Read-only text of several lines, wrapped at the box's width and scrolled
// when longer than the box.
#include "platform/ui/Color.h"
#include "platform/ui/Control.h"

namespace Vx::Graphics {
class Font;
}

namespace Vx::Ui::Controls {

enum TextBoxBorder {
    TEXT_BOX_BORDER_NONE = 0,
    TEXT_BOX_BORDER_ROUNDED = 1,
};

class TextBox : public Control {
public:
    static constexpr int DEFAULT_TEXT_SIZE = 32;

    TextBox() = default;
    ~TextBox() override = default;

    // E_INVALID_ARG for an unknown border or negative size; E_INVALID_STATE when called twice.
    result Construct(const Graphics::Rectangle& rect, TextBoxBorder border = TEXT_BOX_BORDER_ROUNDED);

    result SetText(const Base::String& text) override;
    Base::String GetText() const override;
    result AppendText(const Base::String& text);
    result Clear();
    int GetTextLength() const;

    // Face, size and style of the text; E_INVALID_ARG for a font never constructed.
    result SetFont(const Graphics::Font& font);
    // Pixel size above 0.
    result SetTextSize(int size);
    int GetTextSize() const;
    result SetTextColor(const Graphics::Color& color);
    Graphics::Color GetTextColor() const;
    TextBoxBorder GetBorder() const { return border_; }

    const char* GetTypeName() const override { return "TextBox"; }

private:
    TextBoxBorder border_ = TEXT_BOX_BORDER_ROUNDED;
};

}  // namespace Vx::Ui::Controls
