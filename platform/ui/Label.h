#pragma once
// Text shown to the user, with an optional background colour or picture.
#include "platform/ui/Color.h"
#include "platform/ui/Control.h"

namespace Vx::Graphics {
class Bitmap;
}

namespace Vx::Ui::Controls {

enum HorizontalAlignment { ALIGNMENT_LEFT, ALIGNMENT_CENTER, ALIGNMENT_RIGHT };
enum VerticalAlignment { ALIGNMENT_TOP, ALIGNMENT_MIDDLE, ALIGNMENT_BOTTOM };
enum LabelTextStyle { LABEL_TEXT_STYLE_NORMAL, LABEL_TEXT_STYLE_BOLD, LABEL_TEXT_STYLE_ITALIC };

class Label : public Control {
public:
    static constexpr int DEFAULT_TEXT_SIZE = 32;
    // Room between the text and the label's edges, until SetMargin changes it.
    static constexpr int DEFAULT_TOP_MARGIN = 4;
    static constexpr int DEFAULT_LEFT_MARGIN = 8;

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

    result SetTextColor(const Graphics::Color& color);
    Graphics::Color GetTextColor() const;
    // Transparent (alpha 0) until set.
    result SetBackgroundColor(const Graphics::Color& color);
    Graphics::Color GetBackgroundColor() const;
    // Drawn to the label's full size under the text (a nine-patch bitmap is
    // stretched by its marks); the label keeps a copy. A bitmap never constructed is refused.
    result SetBackgroundBitmap(const Graphics::Bitmap& bitmap);
    bool HasBackgroundBitmap() const;
    // E_INVALID_ARG below 0.
    result SetMargin(int topMargin, int leftMargin);
    int GetTopMargin() const;
    int GetLeftMargin() const;

    const char* GetTypeName() const override { return "Label"; }
};

}  // namespace Vx::Ui::Controls
