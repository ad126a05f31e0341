#include "platform/ui/TableViewItemBase.h"

#include <algorithm>

#include "platform/ui/Bitmap.h"
#include "platform/ui/BitmapPrivate.h"
#include "platform/ui/ControlPrivate.h"
#include "platform/ui/ItemWidgetPrivate.h"

namespace Vx::Ui::Controls {

namespace {
bool IsStatus(TableViewItemDrawingStatus status) {
    return status >= TABLE_VIEW_ITEM_DRAWING_STATUS_NORMAL && status <= TABLE_VIEW_ITEM_DRAWING_STATUS_HIGHLIGHTED;
}
}  // namespace

TableViewItemBase::~TableViewItemBase() = default;

result TableViewItemBase::ConstructItem(const Graphics::Dimension& size, TableViewAnnexStyle annex) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (size.width < 1 || size.height < 1) return E_INVALID_ARG;
    if (annex < TABLE_VIEW_ANNEX_STYLE_NORMAL || annex > TABLE_VIEW_ANNEX_STYLE_RADIO) return E_INVALID_ARG;
    annex_ = annex;
    auto* widget = new ItemWidget();
    widget->annex = annex == TABLE_VIEW_ANNEX_STYLE_MARK    ? ItemWidget::Annex::Mark
                    : annex == TABLE_VIEW_ANNEX_STYLE_RADIO ? ItemWidget::Annex::Radio
                                                            : ItemWidget::Annex::None;
    widget->resize(size.width, size.height);
    GetPrivate().Attach(widget);
    return E_SUCCESS;
}

result TableViewItemBase::SetBackgroundColor(const Graphics::Color& color, TableViewItemDrawingStatus status) {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (!IsStatus(status)) return E_INVALID_ARG;
    ItemWidget::Of(*this)->background[status] = ToQColor(color);
    ItemWidget::Of(*this)->update();
    return E_SUCCESS;
}

Graphics::Color TableViewItemBase::GetBackgroundColor(TableViewItemDrawingStatus status) const {
    if (!IsConstructed() || !IsStatus(status)) return Graphics::Color(0, 0, 0, 0);
    return FromQColor(ItemWidget::Of(*this)->background[status]);
}

result TableViewItemBase::SetBackgroundBitmap(const Graphics::Bitmap& bitmap, TableViewItemDrawingStatus status) {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (!IsStatus(status) || bitmap.GetPrivate().image.isNull()) return E_INVALID_ARG;
    ItemWidget::Of(*this)->picture[status] = bitmap.GetPrivate();
    ItemWidget::Of(*this)->update();
    return E_SUCCESS;
}

bool TableViewItemBase::HasBackgroundBitmap(TableViewItemDrawingStatus status) const {
    return IsConstructed() && IsStatus(status) && ItemWidget::Of(*this)->picture[status].has_value();
}

result TableViewItemBase::SetIndividualSelectionEnabled(const Control* control, bool enable) {
    if (!control || !IsAncestorOf(*control)) return E_OBJ_NOT_FOUND;
    auto it = std::find(individual_.begin(), individual_.end(), control);
    if (enable && it == individual_.end()) individual_.push_back(control);
    if (!enable && it != individual_.end()) individual_.erase(it);
    return E_SUCCESS;
}

bool TableViewItemBase::IsIndividualSelectionEnabled(const Control* control) const {
    return std::find(individual_.begin(), individual_.end(), control) != individual_.end();
}

}  // namespace Vx::Ui::Controls
