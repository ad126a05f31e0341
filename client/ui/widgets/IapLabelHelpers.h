#pragma once
// The sizing rules IapLabel uses, apart so that they can be used (and
// checked) without a label.
#include "platform/base/String.h"
#include "platform/ui/Font.h"
#include "platform/ui/Geometry.h"
#include "platform/ui/Label.h"

namespace IapLabelHelpers {

// Bold → bold, italic → italic, anything else → plain.
Vx::Graphics::FontStyle LabelTextStyleToFontStyle(Vx::Ui::Controls::LabelTextStyle style);
// -1 to 3 pass unchanged; anything else becomes -1 (the system size).
int LabelToHelperFontSize(int fontSize);
// Height = ascender + 2 × top margin + descender; width = 48 when the layout
// stretches the label, else the text's width + 2 × left margin.
// E_INVALID_ARG without a font.
Vx::result CalculateTextDimension(const Vx::Graphics::Font* font, int topMargin, int leftMargin,
                                  const Vx::Base::String& text, bool fitLayoutWidth,
                                  Vx::Graphics::Dimension& dimension);

}  // namespace IapLabelHelpers
