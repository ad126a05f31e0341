#include "platform/ui/EditField.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <algorithm>

#include "platform/ui/ControlPrivate.h"

namespace Vx::Ui::Controls {

namespace {

QLineEdit* Widget(const Control& control) { return static_cast<QLineEdit*>(control.GetPrivate().widget.data()); }

bool AllDigits(const Base::String& text) {
    const std::wstring& s = text.ToStdWString();
    return std::all_of(s.begin(), s.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

}  // namespace

result EditField::Construct(const Graphics::Rectangle& rect, EditFieldStyle style, int limitLength) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (style < EDIT_FIELD_STYLE_NORMAL || style > EDIT_FIELD_STYLE_NUMBER || limitLength <= 0) return E_INVALID_ARG;
    if (rect.width < 0 || rect.height < 0) return E_INVALID_ARG;
    style_ = style;
    limitLength_ = limitLength;
    auto* field = new QLineEdit();
    field->setGeometry(rect.x, rect.y, rect.width, rect.height);
    field->setMaxLength(limitLength);
    if (style == EDIT_FIELD_STYLE_PASSWORD) {
        field->setEchoMode(QLineEdit::Password);
        field->setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText);
    } else if (style == EDIT_FIELD_STYLE_EMAIL) {
        field->setInputMethodHints(Qt::ImhEmailCharactersOnly | Qt::ImhNoAutoUppercase);
    } else if (style == EDIT_FIELD_STYLE_NUMBER) {
        field->setInputMethodHints(Qt::ImhDigitsOnly);
        field->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    }
    // Only the user's edits are reported; SetText is the program's own change.
    QObject::connect(field, &QLineEdit::textEdited, field, [this] { FireTextChanged(); });
    GetPrivate().Attach(field);
    return E_SUCCESS;
}

result EditField::SetText(const Base::String& text) {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (text.GetLength() > limitLength_) return E_INVALID_ARG;
    if (style_ == EDIT_FIELD_STYLE_NUMBER && !AllDigits(text)) return E_INVALID_ARG;
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

result EditField::AddTextEventListener(ITextEventListener& listener) { return listeners_.Add(listener); }

result EditField::RemoveTextEventListener(ITextEventListener& listener) { return listeners_.Remove(listener); }

void EditField::FireTextChanged() {
    QPointer<QWidget> alive = GetPrivate().widget;
    listeners_.ForEach([&](ITextEventListener& l) { l.OnTextValueChanged(*this); }, [&] { return !alive.isNull(); });
}

}  // namespace Vx::Ui::Controls
