#pragma once
// Text shown to the user.
#include "platform/ui/Control.h"

namespace Vx::Ui::Controls {

enum HorizontalAlignment { ALIGNMENT_LEFT, ALIGNMENT_CENTER, ALIGNMENT_RIGHT };
enum VerticalAlignment { ALIGNMENT_TOP, ALIGNMENT_MIDDLE, ALIGNMENT_BOTTOM };
enum LabelTextStyle { LABEL_TEXT_STYLE_NORMAL, LABEL_TEXT_STYLE_BOLD, LABEL_TEXT_STYLE_ITALIC };

class Label : public Control {
public:
    static constexpr int DEFAULT_TEXT_SIZE = 32;

    Label() = default;
    ~Label() override = default;

    result Construct(const Graphics::Rectangle& rect, const Base::String& text);

    result SetText(const Base::String& text) override;
    Base::String GetText() const override;

    result SetTextHorizontalAlignment(HorizontalAlignment alignment);
    HorizontalAlignment GetTextHorizontalAlignment() const;
    result SetTextVerticalAlignment(VerticalAlignment alignment);
    VerticalAlignment GetTextVerticalAlignment() const;
    // Pixel size (above 0) and style. E_INVALID_ARG for a size of 0 or less.
    result SetTextConfig(int size, LabelTextStyle style);
    int GetTextSize() const;
    LabelTextStyle GetTextStyle() const;

    const char* GetTypeName() const override { return "Label"; }
};

}  // namespace Vx::Ui::Controls
