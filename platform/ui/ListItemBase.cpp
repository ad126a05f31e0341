#include "platform/ui/ListItemBase.h"

#include "platform/ui/ControlPrivate.h"
#include "platform/ui/ItemWidgetPrivate.h"

namespace Vx::Ui::Controls {

ListItemBase::~ListItemBase() = default;

result ListItemBase::ConstructItem(const Graphics::Dimension& size, ListAnnexStyle annex) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (size.width < 1 || size.height < 1) return E_INVALID_ARG;
    if (annex < LIST_ANNEX_STYLE_NORMAL || annex > LIST_ANNEX_STYLE_RADIO) return E_INVALID_ARG;
    annex_ = annex;
    auto* widget = new ItemWidget();
    widget->annex = annex == LIST_ANNEX_STYLE_MARK    ? ItemWidget::Annex::Mark
                    : annex == LIST_ANNEX_STYLE_RADIO ? ItemWidget::Annex::Radio
                                                      : ItemWidget::Annex::None;
    widget->resize(size.width, size.height);
    GetPrivate().Attach(widget);
    return E_SUCCESS;
}

result ListItemBase::SetBackgroundColor(const Graphics::Color& color, ListItemDrawingStatus status) {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (status < LIST_ITEM_DRAWING_STATUS_NORMAL || status > LIST_ITEM_DRAWING_STATUS_HIGHLIGHTED) return E_INVALID_ARG;
    ItemWidget* widget = ItemWidget::Of(*this);
    widget->background[status] = ToQColor(color);
    widget->update();
    return E_SUCCESS;
}

Graphics::Color ListItemBase::GetBackgroundColor(ListItemDrawingStatus status) const {
    if (!IsConstructed() || status < LIST_ITEM_DRAWING_STATUS_NORMAL || status > LIST_ITEM_DRAWING_STATUS_HIGHLIGHTED) {
        return Graphics::Color(0, 0, 0, 0);
    }
    return FromQColor(ItemWidget::Of(*this)->background[status]);
}

}  // namespace Vx::Ui::Controls
