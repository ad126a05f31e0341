#include "platform/ui/CheckButton.h"

#include <QAbstractButton>
#include <QPainter>

#include "platform/ui/ControlPrivate.h"

namespace Vx::Ui::Controls {

namespace {

// Draws the mark (box, switch or radio circle) at the right end and the text at the left.
class CheckWidget : public QAbstractButton {
public:
    CheckWidget(CheckButtonStyle style, bool background) : style_(style), background_(background) {}
    bool selected = false;
    QColor textColor = QColor(0, 0, 0);
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;

    QSize sizeHint() const override { return QSize(110, 80); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (background_) painter.fillRect(rect(), isDown() ? QColor(220, 228, 240) : QColor(250, 250, 250));
        int side = std::min(48, std::max(0, std::min(width(), height()) - 8));
        QRect mark(width() - side - 12, (height() - side) / 2, side, side);
        if (mark.left() < 0) mark.moveLeft(0);
        QColor accent = isEnabled() ? QColor(59, 115, 182) : QColor(160, 160, 160);
        painter.setPen(QPen(accent, 3));
        painter.setBrush(selected ? accent : QColor(Qt::white));
        bool radio = style_ == CHECK_BUTTON_STYLE_RADIO || style_ == CHECK_BUTTON_STYLE_RADIO_WITH_DIVIDER;
        bool onOff = style_ == CHECK_BUTTON_STYLE_ONOFF || style_ == CHECK_BUTTON_STYLE_ONOFF_WITH_DIVIDER ||
                     style_ == CHECK_BUTTON_STYLE_ONOFF_SLIDING;
        if (radio) {
            painter.drawEllipse(mark);
        } else if (onOff) {
            QRect track = mark.adjusted(-side / 2, side / 4, 0, -side / 4);
            painter.drawRoundedRect(track, track.height() / 2.0, track.height() / 2.0);
            painter.setBrush(Qt::white);
            int knob = track.height();
            painter.drawEllipse(QRect(selected ? track.right() - knob : track.left(), track.top(), knob, knob));
        } else {
            painter.drawRoundedRect(mark, 6, 6);
            if (selected) {
                painter.setPen(QPen(Qt::white, 5));
                painter.drawLine(mark.left() + side / 5, mark.center().y(), mark.center().x() - 2,
                                 mark.bottom() - side / 4);
                painter.drawLine(mark.center().x() - 2, mark.bottom() - side / 4, mark.right() - side / 5,
                                 mark.top() + side / 4);
            }
        }
        if (!text().isEmpty()) {
            painter.setPen(textColor);
            painter.setFont(font());
            QRect textRect(8, 0, std::max(0, mark.left() - 16), height());
            painter.drawText(textRect, static_cast<int>(alignment), text());
        }
    }

private:
    CheckButtonStyle style_;
    bool background_;
};

CheckWidget* Widget(const Control& control) { return static_cast<CheckWidget*>(control.GetPrivate().widget.data()); }

}  // namespace

result CheckButton::Construct(const Graphics::Rectangle& rect, CheckButtonStyle style, BackgroundStyle backgroundStyle,
                              bool showTitle, const Base::String& text, GroupStyle groupStyle) {
    (void)showTitle;
    if (IsConstructed()) return E_INVALID_STATE;
    if (style < CHECK_BUTTON_STYLE_MARK || style > CHECK_BUTTON_STYLE_ONOFF_SLIDING) return E_INVALID_ARG;
    if (backgroundStyle < BACKGROUND_STYLE_DEFAULT || backgroundStyle > BACKGROUND_STYLE_NONE) return E_INVALID_ARG;
    if (groupStyle < GROUP_STYLE_NONE || groupStyle > GROUP_STYLE_BOTTOM) return E_INVALID_ARG;
    if (rect.width < 0 || rect.height < 0) return E_INVALID_ARG;
    style_ = style;
    backgroundStyle_ = backgroundStyle;
    groupStyle_ = groupStyle;
    auto* widget = new CheckWidget(style, backgroundStyle == BACKGROUND_STYLE_DEFAULT);
    widget->setText(ToQString(text));
    widget->setFont(DefaultFont(32));
    widget->setGeometry(rect.x, rect.y, rect.width, rect.height);
    QObject::connect(widget, &QAbstractButton::clicked, widget, [this] { OnPressed(); });
    GetPrivate().Attach(widget);
    return E_SUCCESS;
}

result CheckButton::SetSelected(bool select) {
    if (!IsConstructed()) return E_INVALID_STATE;
    Widget(*this)->selected = select;
    Widget(*this)->update();
    return E_SUCCESS;
}

bool CheckButton::IsSelected() const { return IsConstructed() && Widget(*this)->selected; }

void CheckButton::SetActionId(int checkedActionId, int uncheckedActionId, int selectedActionId) {
    checkedId_ = checkedActionId;
    uncheckedId_ = uncheckedActionId;
    selectedId_ = selectedActionId;
}

result CheckButton::SetText(const Base::String& text) {
    if (!IsConstructed()) return E_INVALID_STATE;
    Widget(*this)->setText(ToQString(text));
    return E_SUCCESS;
}

Base::String CheckButton::GetText() const {
    return IsConstructed() ? FromQString(Widget(*this)->text()) : Base::String();
}

result CheckButton::SetTextHorizontalAlignment(HorizontalAlignment alignment) {
    if (!IsConstructed()) return E_INVALID_STATE;
    Qt::Alignment h = alignment == ALIGNMENT_CENTER  ? Qt::AlignHCenter
                      : alignment == ALIGNMENT_RIGHT ? Qt::AlignRight
                                                     : Qt::AlignLeft;
    Widget(*this)->alignment = h | (Widget(*this)->alignment & Qt::AlignVertical_Mask);
    return E_SUCCESS;
}

HorizontalAlignment CheckButton::GetTextHorizontalAlignment() const {
    if (!IsConstructed()) return ALIGNMENT_LEFT;
    Qt::Alignment a = Widget(*this)->alignment;
    return a & Qt::AlignHCenter ? ALIGNMENT_CENTER : a & Qt::AlignRight ? ALIGNMENT_RIGHT : ALIGNMENT_LEFT;
}

result CheckButton::SetTextVerticalAlignment(VerticalAlignment alignment) {
    if (!IsConstructed()) return E_INVALID_STATE;
    Qt::Alignment v = alignment == ALIGNMENT_TOP      ? Qt::AlignTop
                      : alignment == ALIGNMENT_BOTTOM ? Qt::AlignBottom
                                                      : Qt::AlignVCenter;
    Widget(*this)->alignment = v | (Widget(*this)->alignment & Qt::AlignHorizontal_Mask);
    return E_SUCCESS;
}

VerticalAlignment CheckButton::GetTextVerticalAlignment() const {
    if (!IsConstructed()) return ALIGNMENT_MIDDLE;
    Qt::Alignment a = Widget(*this)->alignment;
    return a & Qt::AlignTop ? ALIGNMENT_TOP : a & Qt::AlignBottom ? ALIGNMENT_BOTTOM : ALIGNMENT_MIDDLE;
}

result CheckButton::SetTextColor(const Graphics::Color& color) {
    if (!IsConstructed()) return E_INVALID_STATE;
    Widget(*this)->textColor = ToQColor(color);
    return E_SUCCESS;
}

Graphics::Color CheckButton::GetTextColor() const {
    return IsConstructed() ? FromQColor(Widget(*this)->textColor) : Graphics::Color();
}

result CheckButton::AddActionEventListener(IActionEventListener& listener) { return listeners_.Add(listener); }

result CheckButton::RemoveActionEventListener(IActionEventListener& listener) { return listeners_.Remove(listener); }

void CheckButton::OnPressed() {
    if (!IsConstructed()) return;
    bool radio = style_ == CHECK_BUTTON_STYLE_RADIO || style_ == CHECK_BUTTON_STYLE_RADIO_WITH_DIVIDER;
    int actionId;
    if (radio && IsSelected()) {
        // A radio mark is not taken back by pressing it again.
        if (selectedId_ < 0) return;
        actionId = selectedId_;
    } else {
        SetSelected(!IsSelected());
        actionId = IsSelected() ? checkedId_ : uncheckedId_;
    }
    QPointer<QWidget> alive = GetPrivate().widget;
    listeners_.ForEach([&](IActionEventListener& l) { l.OnActionPerformed(*this, actionId); },
                       [&] { return !alive.isNull(); });
}

}  // namespace Vx::Ui::Controls
