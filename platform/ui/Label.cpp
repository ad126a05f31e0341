#include "platform/ui/Label.h"

#include <QLabel>
#include <QPainter>

#include "platform/ui/Bitmap.h"
#include "platform/ui/BitmapPrivate.h"
#include "platform/ui/ControlPrivate.h"

namespace Vx::Ui::Controls {

namespace {

// A label that draws its background colour and picture under the text.
class LabelWidget : public QLabel {
public:
    QColor background = Qt::transparent;
    Graphics::BitmapPrivate picture;
    bool hasPicture = false;

protected:
    void paintEvent(QPaintEvent* event) override {
        {
            QPainter painter(this);
            if (background.alpha() > 0) painter.fillRect(rect(), background);
            if (hasPicture) {
                painter.setRenderHint(QPainter::SmoothPixmapTransform);
                picture.Draw(painter, rect());
            }
        }
        QLabel::paintEvent(event);
    }
};

LabelWidget* Widget(const Control& control) { return static_cast<LabelWidget*>(control.GetPrivate().widget.data()); }

}  // namespace

result Label::Construct(const Graphics::Rectangle& rect, const Base::String& text) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (rect.width < 0 || rect.height < 0) return E_INVALID_ARG;
    auto* label = new LabelWidget();
    label->setText(ToQString(text));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setGeometry(rect.x, rect.y, rect.width, rect.height);
    label->setFont(DefaultFont(DEFAULT_TEXT_SIZE));
    // Without a role of its own a label inside a button-like row (a table or
    // list item) takes the button's text colour and ignores SetTextColor.
    label->setForegroundRole(QPalette::WindowText);
    label->setContentsMargins(DEFAULT_LEFT_MARGIN, DEFAULT_TOP_MARGIN, DEFAULT_LEFT_MARGIN, DEFAULT_TOP_MARGIN);
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

result Label::SetTextColor(const Graphics::Color& color) {
    if (!IsConstructed()) return E_INVALID_STATE;
    QLabel* label = Widget(*this);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ToQColor(color));
    label->setPalette(palette);
    return E_SUCCESS;
}

Graphics::Color Label::GetTextColor() const {
    if (!IsConstructed()) return {};
    return FromQColor(Widget(*this)->palette().color(QPalette::WindowText));
}

result Label::SetBackgroundColor(const Graphics::Color& color) {
    if (!IsConstructed()) return E_INVALID_STATE;
    Widget(*this)->background = ToQColor(color);
    Widget(*this)->update();
    return E_SUCCESS;
}

Graphics::Color Label::GetBackgroundColor() const {
    return IsConstructed() ? FromQColor(Widget(*this)->background) : Graphics::Color(0, 0, 0, 0);
}

result Label::SetBackgroundBitmap(const Graphics::Bitmap& bitmap) {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (bitmap.GetPrivate().image.isNull()) return E_INVALID_ARG;
    LabelWidget* label = Widget(*this);
    label->picture = bitmap.GetPrivate();
    label->hasPicture = true;
    label->update();
    return E_SUCCESS;
}

bool Label::HasBackgroundBitmap() const { return IsConstructed() && Widget(*this)->hasPicture; }

result Label::SetMargin(int topMargin, int leftMargin) {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (topMargin < 0 || leftMargin < 0) return E_INVALID_ARG;
    Widget(*this)->setContentsMargins(leftMargin, topMargin, leftMargin, topMargin);
    return E_SUCCESS;
}

int Label::GetTopMargin() const { return IsConstructed() ? Widget(*this)->contentsMargins().top() : 0; }

int Label::GetLeftMargin() const { return IsConstructed() ? Widget(*this)->contentsMargins().left() : 0; }

}  // namespace Vx::Ui::Controls
