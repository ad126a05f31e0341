#pragma once
// A one-line text input.
#include "platform/ui/Control.h"
#include "platform/ui/ITextEventListener.h"
#include "platform/ui/ListenerList.h"

namespace Vx::Ui::Controls {

enum EditFieldStyle {
    EDIT_FIELD_STYLE_NORMAL,
    EDIT_FIELD_STYLE_PASSWORD,  // characters are masked
    EDIT_FIELD_STYLE_EMAIL,
    EDIT_FIELD_STYLE_NUMBER,  // digits only
};

class EditField : public Control {
public:
    static constexpr int DEFAULT_LIMIT_LENGTH = 100;

    EditField() = default;
    ~EditField() override = default;

    // E_INVALID_ARG for an unknown style or a limit of 0 or less.
    result Construct(const Graphics::Rectangle& rect, EditFieldStyle style = EDIT_FIELD_STYLE_NORMAL,
                     int limitLength = DEFAULT_LIMIT_LENGTH);

    // Text longer than the limit is refused with E_INVALID_ARG; a number field refuses non-digits.
    result SetText(const Base::String& text) override;
    Base::String GetText() const override;
    int GetTextLength() const;
    result Clear();

    result SetGuideText(const Base::String& guideText);
    Base::String GetGuideText() const;
    int GetLimitLength() const { return limitLength_; }
    EditFieldStyle GetEditFieldStyle() const { return style_; }
    bool IsPasswordMode() const { return style_ == EDIT_FIELD_STYLE_PASSWORD; }

    result AddTextEventListener(ITextEventListener& listener);
    result RemoveTextEventListener(ITextEventListener& listener);

    const char* GetTypeName() const override { return "EditField"; }

private:
    void FireTextChanged();

    EditFieldStyle style_ = EDIT_FIELD_STYLE_NORMAL;
    int limitLength_ = DEFAULT_LIMIT_LENGTH;
    ListenerList<ITextEventListener> listeners_;
};

}  // namespace Vx::Ui::Controls
