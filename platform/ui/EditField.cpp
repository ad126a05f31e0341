#include "platform/ui/EditField.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <algorithm>

#include "platform/ui/ControlPrivate.h"

namespace Vx::Ui::Controls {

class EditFieldPrivate {
public:
    InputStyle inputStyle = INPUT_STYLE_FULLSCREEN;
    EditFieldTitleStyle titleStyle = EDIT_FIELD_TITLE_STYLE_NONE;
    bool clearButton = false;
    Base::String title;
    EditInputModeCategory category = EDIT_INPUTMODE_ALPHA;
    bool lowerCase = false;
    bool prediction = true;
    bool sensitive = false;
    int margins[2] = {8, 8};
    QColor colors[4] = {QColor(255, 255, 255), QColor(236, 236, 236), QColor(255, 255, 255), QColor(255, 255, 255)};
    QColor textColors[4] = {QColor(0, 0, 0), QColor(150, 150, 150), QColor(0, 0, 0), QColor(59, 115, 182)};
};

namespace {

// A line edit that takes the highlighted colours while it has the focus.
class EditWidget : public QLineEdit {
public:
    explicit EditWidget(EditFieldPrivate& look) : look_(look) {}
    void ApplyLook() {
        bool focused = hasFocus();
        QPalette p = palette();
        p.setColor(QPalette::Active, QPalette::Base,
                   look_.colors[focused ? EDIT_STATUS_HIGHLIGHTED : EDIT_STATUS_NORMAL]);
        p.setColor(QPalette::Inactive, QPalette::Base, look_.colors[EDIT_STATUS_NORMAL]);
        p.setColor(QPalette::Disabled, QPalette::Base, look_.colors[EDIT_STATUS_DISABLED]);
        p.setColor(QPalette::Active, QPalette::Text,
                   look_.textColors[focused ? EDIT_TEXT_COLOR_HIGHLIGHTED : EDIT_TEXT_COLOR_NORMAL]);
        p.setColor(QPalette::Inactive, QPalette::Text, look_.textColors[EDIT_TEXT_COLOR_NORMAL]);
        p.setColor(QPalette::Disabled, QPalette::Text, look_.textColors[EDIT_TEXT_COLOR_DISABLED]);
        setPalette(p);
        setTextMargins(look_.margins[EDIT_MARGIN_TYPE_HORIZONTAL], 0, look_.margins[EDIT_MARGIN_TYPE_HORIZONTAL], 0);
    }

protected:
    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        ApplyLook();
    }
    void focusOutEvent(QFocusEvent* event) override {
        QLineEdit::focusOutEvent(event);
        ApplyLook();
    }

private:
    EditFieldPrivate& look_;
};

EditWidget* Widget(const Control& control) { return static_cast<EditWidget*>(control.GetPrivate().widget.data()); }

bool AllDigits(const Base::String& text) {
    const std::wstring& s = text.ToStdWString();
    return std::all_of(s.begin(), s.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

bool IsSmall(EditFieldStyle style) {
    return style == EDIT_FIELD_STYLE_NORMAL_SMALL || style == EDIT_FIELD_STYLE_NUMBER_SMALL ||
           style == EDIT_FIELD_STYLE_PASSWORD_NUMBER_SMALL || style == EDIT_FIELD_STYLE_PASSWORD_SMALL ||
           style == EDIT_FIELD_STYLE_EMAIL_SMALL;
}

}  // namespace

EditField::EditField() : e_(std::make_unique<EditFieldPrivate>()) {}

EditField::~EditField() = default;

bool EditField::IsPasswordMode() const {
    return style_ == EDIT_FIELD_STYLE_PASSWORD || style_ == EDIT_FIELD_STYLE_PASSWORD_SMALL ||
           style_ == EDIT_FIELD_STYLE_PASSWORD_NUMBER || style_ == EDIT_FIELD_STYLE_PASSWORD_NUMBER_SMALL;
}

void EditField::SetSensitive(bool sensitive) { e_->sensitive = sensitive; }

bool EditField::IsSensitive() const { return e_->sensitive; }

bool EditField::IsNumberMode() const {
    return style_ == EDIT_FIELD_STYLE_NUMBER || style_ == EDIT_FIELD_STYLE_NUMBER_SMALL ||
           style_ == EDIT_FIELD_STYLE_PASSWORD_NUMBER || style_ == EDIT_FIELD_STYLE_PASSWORD_NUMBER_SMALL;
}

result EditField::Construct(const Graphics::Rectangle& rect, EditFieldStyle style, int limitLength) {
    return Construct(rect, style, INPUT_STYLE_FULLSCREEN, EDIT_FIELD_TITLE_STYLE_NONE, false, limitLength,
                     GROUP_STYLE_NONE);
}

result EditField::Construct(const Graphics::Rectangle& rect, EditFieldStyle style, InputStyle inputStyle,
                            EditFieldTitleStyle titleStyle, bool enableClear, int limitLength, GroupStyle groupStyle) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (style < EDIT_FIELD_STYLE_NORMAL || style > EDIT_FIELD_STYLE_EMAIL_SMALL || limitLength <= 0) {
        return E_INVALID_ARG;
    }
    if (inputStyle < INPUT_STYLE_FULLSCREEN || inputStyle > INPUT_STYLE_OVERLAY) return E_INVALID_ARG;
    if (titleStyle < EDIT_FIELD_TITLE_STYLE_NONE || titleStyle > EDIT_FIELD_TITLE_STYLE_TOP) return E_INVALID_ARG;
    if (groupStyle < GROUP_STYLE_NONE || groupStyle > GROUP_STYLE_BOTTOM) return E_INVALID_ARG;
    if (rect.width < 0 || rect.height < 0) return E_INVALID_ARG;
    style_ = style;
    limitLength_ = limitLength;
    e_->inputStyle = inputStyle;
    e_->titleStyle = titleStyle;
    e_->clearButton = enableClear;
    auto* field = new EditWidget(*e_);
    field->setGeometry(rect.x, rect.y, rect.width, rect.height);
    field->setMaxLength(limitLength);
    field->setFont(DefaultFont(IsSmall(style) ? SMALL_TEXT_SIZE : DEFAULT_TEXT_SIZE));
    field->setClearButtonEnabled(enableClear);
    if (IsPasswordMode()) {
        field->setEchoMode(QLineEdit::Password);
        field->setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText);
    } else if (style == EDIT_FIELD_STYLE_EMAIL || style == EDIT_FIELD_STYLE_EMAIL_SMALL) {
        field->setInputMethodHints(Qt::ImhEmailCharactersOnly | Qt::ImhNoAutoUppercase);
    }
    if (IsNumberMode()) {
        field->setInputMethodHints(field->inputMethodHints() | Qt::ImhDigitsOnly);
        field->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    }
    // Automation reads the hint to know that typed text is lowered.
    if (e_->lowerCase) field->setInputMethodHints(field->inputMethodHints() | Qt::ImhPreferLowercase);
    // Only the user's edits are reported; SetText is the program's own change.
    QObject::connect(field, &QLineEdit::textEdited, field, [this](const QString& text) {
        if (e_->lowerCase && text != text.toLower()) {
            EditWidget* w = Widget(*this);
            int cursor = w->cursorPosition();
            w->setText(text.toLower());
            w->setCursorPosition(cursor);
        }
        FireTextChanged();
    });
    GetPrivate().Attach(field);
    field->ApplyLook();
    return E_SUCCESS;
}

result EditField::SetText(const Base::String& text) {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (text.GetLength() > limitLength_) return E_INVALID_ARG;
    if (IsNumberMode() && !AllDigits(text)) return E_INVALID_ARG;
    Widget(*this)->setText(ToQString(text));
    return E_SUCCESS;
}

Base::String EditField::GetText() const {
    return IsConstructed() ? FromQString(Widget(*this)->text()) : Base::String();
}

int EditField::GetTextLength() const { return GetText().GetLength(); }

result EditField::Clear() { return SetText(Base::String()); }

result EditField::SetGuideText(const Base::String& guideText) {
    if (!IsConstructed()) return E_INVALID_STATE;
    Widget(*this)->setPlaceholderText(ToQString(guideText));
    return E_SUCCESS;
}

Base::String EditField::GetGuideText() const {
    return IsConstructed() ? FromQString(Widget(*this)->placeholderText()) : Base::String();
}

result EditField::SetLimitLength(int limitLength) {
    if (limitLength < 1) return E_INVALID_ARG;
    limitLength_ = limitLength;
    if (IsConstructed()) Widget(*this)->setMaxLength(limitLength);
    return E_SUCCESS;
}

InputStyle EditField::GetInputStyle() const { return e_->inputStyle; }

bool EditField::IsClearButtonEnabled() const { return e_->clearButton; }

result EditField::SetTitleText(const Base::String& title) {
    if (!IsConstructed()) return E_INVALID_STATE;
    e_->title = title;
    Widget(*this)->setToolTip(ToQString(title));
    return E_SUCCESS;
}

Base::String EditField::GetTitleText() const { return e_->title; }

result EditField::SetCurrentInputModeCategory(EditInputModeCategory category) {
    if (category != EDIT_INPUTMODE_ALPHA && category != EDIT_INPUTMODE_PREDICTIVE &&
        category != EDIT_INPUTMODE_NUMERIC && category != EDIT_INPUTMODE_SYMBOL) {
        return E_INVALID_ARG;
    }
    e_->category = category;
    return E_SUCCESS;
}

EditInputModeCategory EditField::GetCurrentInputModeCategory() const { return e_->category; }

result EditField::SetLowerCaseModeEnabled(bool enable) {
    e_->lowerCase = enable;
    if (IsConstructed()) {
        EditWidget* w = Widget(*this);
        w->setInputMethodHints(enable ? w->inputMethodHints() | Qt::ImhPreferLowercase
                                      : w->inputMethodHints() & ~Qt::ImhPreferLowercase);
    }
    return E_SUCCESS;
}

bool EditField::IsLowerCaseModeEnabled() const { return e_->lowerCase; }

result EditField::SetTextPredictionEnabled(bool enable) {
    e_->prediction = enable;
    if (IsConstructed()) {
        Qt::InputMethodHints hints = Widget(*this)->inputMethodHints();
        hints.setFlag(Qt::ImhNoPredictiveText, !enable);
        Widget(*this)->setInputMethodHints(hints);
    }
    return E_SUCCESS;
}

bool EditField::IsTextPredictionEnabled() const { return e_->prediction; }

result EditField::SetMargin(EditMarginType marginType, int margin) {
    if (marginType != EDIT_MARGIN_TYPE_HORIZONTAL && marginType != EDIT_MARGIN_TYPE_VERTICAL) return E_INVALID_ARG;
    if (margin < 0) return E_INVALID_ARG;
    e_->margins[marginType] = margin;
    if (IsConstructed()) Widget(*this)->ApplyLook();
    return E_SUCCESS;
}

int EditField::GetMargin(EditMarginType marginType) const {
    return marginType == EDIT_MARGIN_TYPE_HORIZONTAL || marginType == EDIT_MARGIN_TYPE_VERTICAL
               ? e_->margins[marginType]
               : 0;
}

result EditField::SetColor(EditStatus status, const Graphics::Color& color) {
    if (status < EDIT_STATUS_NORMAL || status > EDIT_STATUS_PRESSED) return E_INVALID_ARG;
    e_->colors[status] = ToQColor(color);
    if (IsConstructed()) Widget(*this)->ApplyLook();
    return E_SUCCESS;
}

Graphics::Color EditField::GetColor(EditStatus status) const {
    if (status < EDIT_STATUS_NORMAL || status > EDIT_STATUS_PRESSED) return {};
    return FromQColor(e_->colors[status]);
}

result EditField::SetTextColor(EditTextColor type, const Graphics::Color& color) {
    if (type < EDIT_TEXT_COLOR_NORMAL || type > EDIT_TEXT_COLOR_LINK) return E_INVALID_ARG;
    e_->textColors[type] = ToQColor(color);
    if (IsConstructed()) Widget(*this)->ApplyLook();
    return E_SUCCESS;
}

Graphics::Color EditField::GetTextColor(EditTextColor type) const {
    if (type < EDIT_TEXT_COLOR_NORMAL || type > EDIT_TEXT_COLOR_LINK) return {};
    return FromQColor(e_->textColors[type]);
}

result EditField::SetTextSize(int size) {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (size <= 0) return E_INVALID_ARG;
    QFont font = Widget(*this)->font();
    font.setPixelSize(size);
    Widget(*this)->setFont(font);
    return E_SUCCESS;
}

int EditField::GetTextSize() const { return IsConstructed() ? Widget(*this)->font().pixelSize() : 0; }

result EditField::AddTextEventListener(ITextEventListener& listener) { return listeners_.Add(listener); }

result EditField::RemoveTextEventListener(ITextEventListener& listener) { return listeners_.Remove(listener); }

void EditField::FireTextChanged() {
    QPointer<QWidget> alive = GetPrivate().widget;
    listeners_.ForEach([&](ITextEventListener& l) { l.OnTextValueChanged(*this); }, [&] { return !alive.isNull(); });
}

}  // namespace Vx::Ui::Controls
