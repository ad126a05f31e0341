#pragma once
// Base of the items a grouped list view shows: a row of a given size with an
// annex (nothing, a check mark or a radio mark) and a background colour per
// state. The view owns the items its provider hands it.
#include "platform/ui/Color.h"
#include "platform/ui/Container.h"
#include "platform/ui/GroupedListViewTypes.h"

namespace Vx::Ui::Controls {

class ListItemBase : public Container {
public:
    ~ListItemBase() override;

    ListAnnexStyle GetAnnexStyle() const { return annex_; }
    // E_INVALID_ARG for an unknown status; E_INVALID_STATE before Construct.
    result SetBackgroundColor(const Graphics::Color& color,
                              ListItemDrawingStatus status = LIST_ITEM_DRAWING_STATUS_NORMAL);
    Graphics::Color GetBackgroundColor(ListItemDrawingStatus status = LIST_ITEM_DRAWING_STATUS_NORMAL) const;

protected:
    ListItemBase() = default;
    // E_INVALID_ARG for a size below 1 or an unknown annex; E_INVALID_STATE when called twice.
    result ConstructItem(const Graphics::Dimension& size, ListAnnexStyle annex);

private:
    ListAnnexStyle annex_ = LIST_ANNEX_STYLE_NORMAL;
};

}  // namespace Vx::Ui::Controls
