#include "platform/ui/Panel.h"

#include <QPainter>
#include <QResizeEvent>

#include "platform/ui/ControlPrivate.h"

namespace Vx::Ui::Controls {

namespace {

// Draws the background colour and, in a group, a rounded box; lays the
// controls out again when resized.
class PanelWidget : public QWidget {
public:
    explicit PanelWidget(Panel& panel) : panel_(panel) {}
    QColor background = Qt::transparent;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (background.alpha() > 0) painter.fillRect(rect(), background);
        if (panel_.GetGroupStyle() != GROUP_STYLE_NONE) {
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(QPen(QColor(200, 200, 200), 2));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(rect().adjusted(1, 1, -1, -1), 12, 12);
        }
    }
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (Vx::Ui::Layout* layout = panel_.GetLayout()) layout->Update();
    }

private:
    Panel& panel_;
};

}  // namespace

Panel::~Panel() = default;

result Panel::Construct(const Graphics::Rectangle& rect, GroupStyle groupStyle) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (rect.width < 0 || rect.height < 0) return E_INVALID_ARG;
    if (groupStyle < GROUP_STYLE_NONE || groupStyle > GROUP_STYLE_BOTTOM) return E_INVALID_ARG;
    groupStyle_ = groupStyle;
    auto* widget = new PanelWidget(*this);
    widget->setGeometry(rect.x, rect.y, rect.width, rect.height);
    GetPrivate().Attach(widget);
    return E_SUCCESS;
}

result Panel::Construct(Vx::Ui::Layout& layout, const Graphics::Rectangle& rect, GroupStyle groupStyle) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (layout.GetContainer()) return E_INVALID_STATE;
    result r = Construct(rect, groupStyle);
    if (r != E_SUCCESS) return r;
    return UseLayout(&layout);
}

result Panel::UseLayout(Vx::Ui::Layout* layout) {
    if (!layout) return E_INVALID_ARG;
    if (layout->GetContainer() && layout->GetContainer() != this) return E_INVALID_STATE;
    layout->SetContainer(this);
    layout_ = layout;
    return E_SUCCESS;
}

result Panel::SetBackgroundColor(const Graphics::Color& color) {
    if (!IsConstructed()) return E_INVALID_STATE;
    background_ = color;
    if (auto* own = dynamic_cast<PanelWidget*>(GetPrivate().widget.data())) {
        own->background = ToQColor(color);
    } else {
        // A derived panel's own widget: its palette.
        QWidget* widget = GetPrivate().childHost ? GetPrivate().childHost.data() : GetPrivate().widget.data();
        QPalette palette = widget->palette();
        palette.setColor(QPalette::Window, ToQColor(color));
        widget->setPalette(palette);
        widget->setAutoFillBackground(color.GetAlpha() > 0);
    }
    GetPrivate().widget->update();
    return E_SUCCESS;
}

Graphics::Rectangle Panel::GetClientAreaBounds() const {
    if (!IsConstructed()) return {};
    Graphics::Dimension size = GetSize();
    return {0, 0, size.width, size.height};
}

}  // namespace Vx::Ui::Controls
