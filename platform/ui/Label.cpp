#include "platform/ui/Label.h"

#include <QFont>
#include <QLabel>

#include "platform/ui/ControlPrivate.h"

namespace Vx::Ui::Controls {

namespace {
QLabel* Widget(const Control& control) { return static_cast<QLabel*>(control.GetPrivate().widget.data()); }
}  // namespace

result Label::Construct(const Graphics::Rectangle& rect, const Base::String& text) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (rect.width < 0 || rect.height < 0) return E_INVALID_ARG;
    auto* label = new QLabel(ToQString(text));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setGeometry(rect.x, rect.y, rect.width, rect.height);
    GetPrivate().Attach(label);
    return SetTextConfig(DEFAULT_TEXT_SIZE, LABEL_TEXT_STYLE_NORMAL);
}

result Label::SetText(const Base::String& text) {
    if (!IsConstructed()) return E_INVALID_STATE;
    Widget(*this)->setText(ToQString(text));
    return E_SUCCESS;
}

Base::String Label::GetText() const { return IsConstructed() ? FromQString(Widget(*this)->text()) : Base::String(); }

result Label::SetTextHorizontalAlignment(HorizontalAlignment alignment) {
    if (!IsConstructed()) return E_INVALID_STATE;
    Qt::Alignment h = alignment == ALIGNMENT_CENTER  ? Qt::AlignHCenter
                      : alignment == ALIGNMENT_RIGHT ? Qt::AlignRight
                                                     : Qt::AlignLeft;
    QLabel* label = Widget(*this);
    label->setAlignment(h | (label->alignment() & Qt::AlignVertical_Mask));
    return E_SUCCESS;
}

HorizontalAlignment Label::GetTextHorizontalAlignment() const {
    if (!IsConstructed()) return ALIGNMENT_LEFT;
    Qt::Alignment a = Widget(*this)->alignment();
    return a & Qt::AlignHCenter ? ALIGNMENT_CENTER : a & Qt::AlignRight ? ALIGNMENT_RIGHT : ALIGNMENT_LEFT;
}

result Label::SetTextVerticalAlignment(VerticalAlignment alignment) {
    if (!IsConstructed()) return E_INVALID_STATE;
    Qt::Alignment v = alignment == ALIGNMENT_TOP      ? Qt::AlignTop
                      : alignment == ALIGNMENT_BOTTOM ? Qt::AlignBottom
                                                      : Qt::AlignVCenter;
    QLabel* label = Widget(*this);
    label->setAlignment(v | (label->alignment() & Qt::AlignHorizontal_Mask));
    return E_SUCCESS;
}

VerticalAlignment Label::GetTextVerticalAlignment() const {
    if (!IsConstructed()) return ALIGNMENT_MIDDLE;
    Qt::Alignment a = Widget(*this)->alignment();
    return a & Qt::AlignTop ? ALIGNMENT_TOP : a & Qt::AlignBottom ? ALIGNMENT_BOTTOM : ALIGNMENT_MIDDLE;
}

result Label::SetTextConfig(int size, LabelTextStyle style) {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (size <= 0) return E_INVALID_ARG;
    QLabel* label = Widget(*this);
    QFont font = label->font();
    font.setPixelSize(size);
    font.setBold(style == LABEL_TEXT_STYLE_BOLD);
    font.setItalic(style == LABEL_TEXT_STYLE_ITALIC);
    label->setFont(font);
    return E_SUCCESS;
}

int Label::GetTextSize() const { return IsConstructed() ? Widget(*this)->font().pixelSize() : 0; }

LabelTextStyle Label::GetTextStyle() const {
    if (!IsConstructed()) return LABEL_TEXT_STYLE_NORMAL;
    QFont font = Widget(*this)->font();
    return font.bold() ? LABEL_TEXT_STYLE_BOLD : font.italic() ? LABEL_TEXT_STYLE_ITALIC : LABEL_TEXT_STYLE_NORMAL;
}

}  // namespace Vx::Ui::Controls
