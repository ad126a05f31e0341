#include "platform/ui/CustomItem.h"

#include <algorithm>

#include "platform/ui/ControlPrivate.h"
#include "platform/ui/ItemWidgetPrivate.h"

namespace Vx::Ui::Controls {

result CustomItem::Construct(const Graphics::Dimension& size, ListAnnexStyle annex) {
    return ConstructItem(size, annex);
}

result CustomItem::AddElement(const Graphics::Rectangle& rect, int elementId, const Base::String& text, int textSize,
                              const Graphics::Color& normalTextColor, const Graphics::Color& pressedTextColor,
                              const Graphics::Color& highlightedTextColor) {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (rect.width < 0 || rect.height < 0 || textSize < 1) return E_INVALID_ARG;
    ItemWidget* widget = ItemWidget::Of(*this);
    auto& texts = widget->texts;
    if (std::any_of(texts.begin(), texts.end(), [&](const auto& e) { return e.id == elementId; })) {
        return E_OBJ_ALREADY_EXIST;
    }
    ItemWidget::TextElement element;
    element.id = elementId;
    element.rect = QRect(rect.x, rect.y, rect.width, rect.height);
    element.text = ToQString(text);
    element.size = textSize;
    element.colors[ItemWidget::Normal] = ToQColor(normalTextColor);
    element.colors[ItemWidget::Pressed] = ToQColor(pressedTextColor);
    element.colors[ItemWidget::Highlighted] = ToQColor(highlightedTextColor);
    texts.push_back(element);
    // The item's text (shown by automation) is its elements' texts in order.
    Base::String all = GetText();
    Control::SetText(all.IsEmpty() ? text : all + L" " + text);
    widget->update();
    return E_SUCCESS;
}

Base::String CustomItem::GetElementText(int elementId) const {
    if (!IsConstructed()) return Base::String();
    for (const auto& element : ItemWidget::Of(*this)->texts) {
        if (element.id == elementId) return FromQString(element.text);
    }
    return Base::String();
}

int CustomItem::GetElementCount() const {
    return IsConstructed() ? static_cast<int>(ItemWidget::Of(*this)->texts.size()) : 0;
}

}  // namespace Vx::Ui::Controls
