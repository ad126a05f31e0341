#pragma once
// A one-line text input. Small styles draw a smaller text; "masked"
// (password) styles show dots; number styles take digits only. The input
// style of the phone's keyboard (full screen or overlay) means nothing on
// the desktop stand-in and is only kept.
#include <memory>

#include "platform/ui/Color.h"
#include "platform/ui/Control.h"
#include "platform/ui/GroupStyle.h"
#include "platform/ui/ITextEventListener.h"
#include "platform/ui/ListenerList.h"

namespace Vx::Ui::Controls {

enum EditFieldStyle {
    EDIT_FIELD_STYLE_NORMAL,
    EDIT_FIELD_STYLE_PASSWORD,  // characters are masked
    EDIT_FIELD_STYLE_EMAIL,
    EDIT_FIELD_STYLE_NUMBER,  // digits only
    EDIT_FIELD_STYLE_NORMAL_SMALL,
    EDIT_FIELD_STYLE_NUMBER_SMALL,
    EDIT_FIELD_STYLE_PASSWORD_NUMBER,  // digits only, masked
    EDIT_FIELD_STYLE_PASSWORD_NUMBER_SMALL,
    EDIT_FIELD_STYLE_PASSWORD_SMALL,
    EDIT_FIELD_STYLE_EMAIL_SMALL,
};

enum InputStyle {
    INPUT_STYLE_FULLSCREEN = 0,
    INPUT_STYLE_OVERLAY = 1,
};

enum EditFieldTitleStyle {
    EDIT_FIELD_TITLE_STYLE_NONE = 0,
    EDIT_FIELD_TITLE_STYLE_INNER = 1,
    EDIT_FIELD_TITLE_STYLE_TOP = 2,
};

// What the keyboard offers first.
enum EditInputModeCategory {
    EDIT_INPUTMODE_ALPHA = 0x0001,
    EDIT_INPUTMODE_PREDICTIVE = 0x0002,
    EDIT_INPUTMODE_NUMERIC = 0x0004,
    EDIT_INPUTMODE_SYMBOL = 0x0008,
};

enum EditStatus {
    EDIT_STATUS_NORMAL = 0,
    EDIT_STATUS_DISABLED = 1,
    EDIT_STATUS_HIGHLIGHTED = 2,
    EDIT_STATUS_PRESSED = 3,
};

enum EditTextColor {
    EDIT_TEXT_COLOR_NORMAL = 0,
    EDIT_TEXT_COLOR_DISABLED = 1,
    EDIT_TEXT_COLOR_HIGHLIGHTED = 2,
    EDIT_TEXT_COLOR_LINK = 3,
};

enum EditMarginType {
    EDIT_MARGIN_TYPE_HORIZONTAL = 0,
    EDIT_MARGIN_TYPE_VERTICAL = 1,
};

class EditFieldPrivate;

class EditField : public Control {
public:
    static constexpr int DEFAULT_LIMIT_LENGTH = 100;

    static constexpr int DEFAULT_TEXT_SIZE = 32;
    static constexpr int SMALL_TEXT_SIZE = 26;

    EditField();
    ~EditField() override;

    // E_INVALID_ARG for an unknown style or a limit of 0 or less.
    result Construct(const Graphics::Rectangle& rect, EditFieldStyle style = EDIT_FIELD_STYLE_NORMAL,
                     int limitLength = DEFAULT_LIMIT_LENGTH);
    // The full form. E_INVALID_ARG also for an unknown input, title or group style.
    result Construct(const Graphics::Rectangle& rect, EditFieldStyle style, InputStyle inputStyle,
                     EditFieldTitleStyle titleStyle, bool enableClear, int limitLength,
                     GroupStyle groupStyle = GROUP_STYLE_NONE);

    // Text longer than the limit is refused with E_INVALID_ARG; a number field refuses non-digits.
    result SetText(const Base::String& text) override;
    Base::String GetText() const override;
    int GetTextLength() const;
    result Clear();

    result SetGuideText(const Base::String& guideText);
    Base::String GetGuideText() const;
    int GetLimitLength() const { return limitLength_; }
    EditFieldStyle GetEditFieldStyle() const { return style_; }
    // Masked styles.
    bool IsPasswordMode() const;
    // Number styles: digits only.
    bool IsNumberMode() const;
    // A sensitive field (a card number, a security code) shows its text on
    // screen, but the automation channel lists it masked like a password.
    void SetSensitive(bool sensitive);
    bool IsSensitive() const;
    // Text already longer than a new limit is cut. E_INVALID_ARG below 1.
    result SetLimitLength(int limitLength);

    InputStyle GetInputStyle() const;
    bool IsClearButtonEnabled() const;
    // The small title beside or above the text (shown with a title style other than NONE).
    result SetTitleText(const Base::String& title);
    Base::String GetTitleText() const;
    result SetCurrentInputModeCategory(EditInputModeCategory category);
    EditInputModeCategory GetCurrentInputModeCategory() const;
    // Letters typed are kept lower case.
    result SetLowerCaseModeEnabled(bool enable);
    bool IsLowerCaseModeEnabled() const;
    result SetTextPredictionEnabled(bool enable);
    bool IsTextPredictionEnabled() const;
    // E_INVALID_ARG below 0.
    result SetMargin(EditMarginType marginType, int margin);
    int GetMargin(EditMarginType marginType) const;

    // Background colour per state, text colour per kind.
    result SetColor(EditStatus status, const Graphics::Color& color);
    Graphics::Color GetColor(EditStatus status) const;
    result SetTextColor(EditTextColor type, const Graphics::Color& color);
    Graphics::Color GetTextColor(EditTextColor type) const;
    // Pixel size above 0.
    result SetTextSize(int size);
    int GetTextSize() const;

    result AddTextEventListener(ITextEventListener& listener);
    result RemoveTextEventListener(ITextEventListener& listener);

    const char* GetTypeName() const override { return "EditField"; }

private:
    void FireTextChanged();

    EditFieldStyle style_ = EDIT_FIELD_STYLE_NORMAL;
    int limitLength_ = DEFAULT_LIMIT_LENGTH;
    ListenerList<ITextEventListener> listeners_;
    std::unique_ptr<EditFieldPrivate> e_;
};

}  // namespace Vx::Ui::Controls
