#include "client/ui/widgets/IapLabelHelpers.h"

using namespace Vx;

namespace IapLabelHelpers {

Graphics::FontStyle LabelTextStyleToFontStyle(Ui::Controls::LabelTextStyle style) {
    switch (style) {
    case Ui::Controls::LABEL_TEXT_STYLE_BOLD:
        return Graphics::FONT_STYLE_BOLD;
    case Ui::Controls::LABEL_TEXT_STYLE_ITALIC:
        return Graphics::FONT_STYLE_ITALIC;
    default:
        return Graphics::FONT_STYLE_PLAIN;
    }
}

int LabelToHelperFontSize(int fontSize) { return fontSize >= -1 && fontSize <= 3 ? fontSize : -1; }

result CalculateTextDimension(const Graphics::Font* font, int topMargin, int leftMargin, const Base::String& text,
                              bool fitLayoutWidth, Graphics::Dimension& dimension) {
    if (!font) return E_INVALID_ARG;
    dimension.height = font->GetAscender() + 2 * topMargin + font->GetDescender();
    if (fitLayoutWidth) {
        dimension.width = 48;
        return E_SUCCESS;
    }
    Graphics::Dimension extent;
    result r = font->GetTextExtent(text, text.GetLength(), extent);
    if (r != E_SUCCESS) return r;
    dimension.width = extent.width + 2 * leftMargin;
    return E_SUCCESS;
}

}  // namespace IapLabelHelpers
