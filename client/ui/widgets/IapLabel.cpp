#include "client/ui/widgets/IapLabel.h"

#include <memory>

#include "client/ui/widgets/IapLabelHelpers.h"
#include "client/ui/widgets/IapUiHelper.h"

using namespace Vx;
using namespace Vx::Ui::Controls;

result IapLabel::Construct(const Base::String& text, LabelTextStyle style, int fontSize, bool fitLayoutWidth) {
    result r = Label::Construct(Graphics::Rectangle{0, 0, 48, 48}, text);
    if (r != E_SUCCESS) return r;
    const int size = IapLabelHelpers::LabelToHelperFontSize(fontSize);
    std::unique_ptr<Graphics::Font> font(IapUiHelper::GetCurrentSystemFontN(
        static_cast<IapUiHelper::FontSize>(size), IapLabelHelpers::LabelTextStyleToFontStyle(style)));
    if (!font) return E_INVALID_STATE;
    SetFont(font->GetFaceName());
    SetTextConfig(font->GetSize(), style);
    SetTextHorizontalAlignment(ALIGNMENT_CENTER);
    SetTextVerticalAlignment(ALIGNMENT_MIDDLE);
    Graphics::Dimension dimension;
    r = IapLabelHelpers::CalculateTextDimension(font.get(), GetTopMargin(), GetLeftMargin(), text, fitLayoutWidth,
                                                dimension);
    if (r != E_SUCCESS) return r;
    return SetSize(dimension.width, dimension.height);
}
