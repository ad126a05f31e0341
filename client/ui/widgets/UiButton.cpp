#include "client/ui/widgets/UiButton.h"

#include <algorithm>
#include <memory>

#include "client/ui/widgets/IapUiHelper.h"

using namespace Vx;

int UiButton::WidthFor(int textWidth) { return std::max(kMinTextWidth, textWidth) + kPadding; }

result UiButton::Construct(const Base::String& text) {
    std::unique_ptr<Graphics::Font> font(IapUiHelper::GetCurrentSystemFontN(kFontPixels, Graphics::FONT_STYLE_PLAIN));
    int width = WidthFor(0);
    if (font) {
        Graphics::Dimension extent;
        if (font->GetTextExtent(text, text.GetLength(), extent) == E_SUCCESS) width = WidthFor(extent.width);
    }
    result r = Button::Construct(Graphics::Rectangle{0, 0, width, kHeight}, text);
    if (r != E_SUCCESS) return r;
    if (font) SetFont(font->GetFaceName());
    SetTextHorizontalAlignment(Ui::Controls::ALIGNMENT_CENTER);
    SetTextVerticalAlignment(Ui::Controls::ALIGNMENT_MIDDLE);
    return E_SUCCESS;
}
