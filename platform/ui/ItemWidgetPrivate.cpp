#include "platform/ui/ItemWidgetPrivate.h"

#include <QPainter>
#include <QPainterPath>

#include "platform/ui/ControlPrivate.h"

namespace Vx::Ui::Controls {

namespace {
constexpr int kAnnexSize = 40;
constexpr int kAnnexRightMargin = 24;
}  // namespace

ItemWidget::ItemWidget() {
    background[Normal] = QColor(255, 255, 255);
    background[Pressed] = QColor(200, 222, 246);
    background[Highlighted] = background[Pressed];
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::clicked, this, [this] {
        // The listener may rebuild the view and delete this row: copy first.
        std::function<void()> tapped = onTapped;
        if (tapped) tapped();
    });
}

ItemWidget* ItemWidget::Of(const Control& control) {
    return dynamic_cast<ItemWidget*>(control.GetPrivate().widget.data());
}

void ItemWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    State state = CurrentState();
    if (background[state].alpha() > 0) painter.fillRect(rect(), background[state]);
    if (picture[state]) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        picture[state]->Draw(painter, rect());
    }
    for (const TextElement& element : texts) {
        painter.setFont(DefaultFont(element.size));
        QFont font = painter.font();
        font.setBold(element.bold);
        painter.setFont(font);
        painter.setPen(element.colors[state]);
        painter.drawText(element.rect, Qt::AlignLeft | Qt::AlignVCenter, element.text);
    }
    DrawAnnex(painter);
    if (divider) painter.fillRect(QRect(0, height() - 1, width(), 1), QColor(210, 210, 210));
}

void ItemWidget::DrawAnnex(QPainter& painter) const {
    if (annex == Annex::None) return;
    QRect box(width() - kAnnexRightMargin - kAnnexSize, (height() - kAnnexSize) / 2, kAnnexSize, kAnnexSize);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor accent(59, 115, 182);
    painter.setPen(QPen(checked ? accent : QColor(150, 150, 150), 3));
    painter.setBrush(Qt::NoBrush);
    if (annex == Annex::Radio) {
        painter.drawEllipse(box.adjusted(2, 2, -2, -2));
        if (checked) {
            painter.setBrush(accent);
            painter.setPen(Qt::NoPen);
            painter.drawEllipse(box.adjusted(11, 11, -11, -11));
        }
        return;
    }
    painter.drawRoundedRect(box.adjusted(2, 2, -2, -2), 4, 4);
    if (checked) {
        QPainterPath tick;
        tick.moveTo(box.left() + 9, box.center().y());
        tick.lineTo(box.left() + 17, box.bottom() - 10);
        tick.lineTo(box.right() - 8, box.top() + 10);
        painter.setPen(QPen(accent, 4));
        painter.drawPath(tick);
    }
}

void DescribeItemState(const Control& control, QJsonObject& entry) {
    const ItemWidget* item = ItemWidget::Of(control);
    if (!item) return;
    if (item->annex != ItemWidget::Annex::None) entry.insert(QStringLiteral("checked"), item->checked);
    if (item->expansion != ItemWidget::Expansion::None) {
        entry.insert(QStringLiteral("expanded"), item->expansion == ItemWidget::Expansion::Expanded);
    }
}

}  // namespace Vx::Ui::Controls
