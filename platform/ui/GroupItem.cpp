#include "platform/ui/GroupItem.h"

#include "platform/ui/ControlPrivate.h"
#include "platform/ui/ItemWidgetPrivate.h"

namespace Vx::Ui::Controls {

namespace {
constexpr int kTextMargin = 16;
}

result GroupItem::Construct(const Graphics::Dimension& size) {
    result r = ConstructItem(size, LIST_ANNEX_STYLE_NORMAL);
    if (r != E_SUCCESS) return r;
    ItemWidget* widget = ItemWidget::Of(*this);
    widget->background[ItemWidget::Normal] = QColor(236, 234, 228);
    widget->background[ItemWidget::Pressed] = widget->background[ItemWidget::Normal];
    ItemWidget::TextElement title;
    title.rect = QRect(kTextMargin, 0, size.width - 2 * kTextMargin, size.height);
    title.size = DEFAULT_TEXT_SIZE;
    for (QColor& color : title.colors)
        color = QColor(59, 115, 182);
    widget->texts.push_back(title);
    return E_SUCCESS;
}

result GroupItem::SetElement(const Base::String& text) {
    if (!IsConstructed()) return E_INVALID_STATE;
    ItemWidget::Of(*this)->texts.front().text = ToQString(text);
    ItemWidget::Of(*this)->update();
    return Control::SetText(text);
}

result GroupItem::SetTextSize(int size) {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (size < 1) return E_INVALID_ARG;
    ItemWidget::Of(*this)->texts.front().size = size;
    ItemWidget::Of(*this)->update();
    return E_SUCCESS;
}

int GroupItem::GetTextSize() const { return IsConstructed() ? ItemWidget::Of(*this)->texts.front().size : 0; }

result GroupItem::SetTextColor(const Graphics::Color& color) {
    if (!IsConstructed()) return E_INVALID_STATE;
    for (QColor& c : ItemWidget::Of(*this)->texts.front().colors)
        c = ToQColor(color);
    ItemWidget::Of(*this)->update();
    return E_SUCCESS;
}

}  // namespace Vx::Ui::Controls
