#include "platform/ui/ScrollPanel.h"

#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>

#include "platform/ui/ControlPrivate.h"

namespace Vx::Ui::Controls {

namespace {

class ScrollWidget : public QScrollArea {
public:
    explicit ScrollWidget(ScrollPanel& panel) : panel_(panel) {}

protected:
    void resizeEvent(QResizeEvent* event) override {
        QScrollArea::resizeEvent(event);
        panel_.UpdateContentSize();
    }

private:
    ScrollPanel& panel_;
};

QScrollArea* Widget(const Control& control) { return static_cast<QScrollArea*>(control.GetPrivate().widget.data()); }

}  // namespace

result ScrollPanel::Construct(const Graphics::Rectangle& rect, GroupStyle groupStyle) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (rect.width < 0 || rect.height < 0) return E_INVALID_ARG;
    if (groupStyle < GROUP_STYLE_NONE || groupStyle > GROUP_STYLE_BOTTOM) return E_INVALID_ARG;
    SetGroupStyle(groupStyle);
    auto* area = new ScrollWidget(*this);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidgetResizable(false);
    auto* content = new QWidget();
    content->resize(rect.width, rect.height);
    area->setWidget(content);
    area->setGeometry(rect.x, rect.y, rect.width, rect.height);
    GetPrivate().Attach(area, content);
    return E_SUCCESS;
}

result ScrollPanel::Construct(Vx::Ui::Layout& layout, const Graphics::Rectangle& rect, GroupStyle groupStyle) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (layout.GetContainer()) return E_INVALID_STATE;
    result r = Construct(rect, groupStyle);
    if (r != E_SUCCESS) return r;
    return UseLayout(&layout);
}

result ScrollPanel::AddControl(Control* control) {
    result r = Panel::AddControl(control);
    if (r == E_SUCCESS) UpdateContentSize();
    return r;
}

int ScrollPanel::GetScrollPosition() const { return IsConstructed() ? Widget(*this)->verticalScrollBar()->value() : 0; }

result ScrollPanel::SetScrollPosition(int position) {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (position < 0) return E_INVALID_ARG;
    Widget(*this)->verticalScrollBar()->setValue(position);
    return E_SUCCESS;
}

result ScrollPanel::UpdateContentSize() {
    if (!IsConstructed()) return E_INVALID_STATE;
    QScrollArea* area = Widget(*this);
    QWidget* content = area->widget();
    if (!content) return E_INVALID_STATE;
    int width = area->viewport()->width();
    content->resize(width, std::max(content->height(), area->viewport()->height()));
    if (Vx::Ui::Layout* layout = GetLayout()) layout->Update();
    int bottom = area->viewport()->height();
    for (int i = 0; i < GetControlCount(); ++i) {
        Graphics::Rectangle b = GetControl(i)->GetBounds();
        bottom = std::max(bottom, b.y + b.height);
    }
    content->resize(width, bottom);
    return E_SUCCESS;
}

}  // namespace Vx::Ui::Controls
