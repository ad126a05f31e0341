#include "platform/ui/Popup.h"

#include <QApplication>
#include <QLabel>
#include <QResizeEvent>

#include "platform/ui/ControlPrivate.h"
#include "platform/ui/Label.h"
#include "platform/ui/WindowPrivate.h"

namespace Vx::Ui::Controls {

class PopupPrivate {
public:
    ModalLoop modal;
    std::unique_ptr<Label> titleControl;
    QPointer<QWidget> client;
};

namespace {

// Title area on top, client area below; lays the controls out again when resized.
class PopupWidget : public WindowWidget {
public:
    PopupWidget(Popup& popup) : WindowWidget(popup), popup_(popup) {}
    void Place() {
        PopupPrivate& p = popup_.GetPopupPrivate();
        int top = 0;
        if (p.titleControl) {
            p.titleControl->SetBounds(0, 0, width(), Popup::TITLE_HEIGHT);
            top = Popup::TITLE_HEIGHT;
        }
        if (p.client) {
            p.client->setGeometry(0, top + Popup::CLIENT_MARGIN, width(),
                                  std::max(0, height() - top - 2 * Popup::CLIENT_MARGIN));
        }
        if (Vx::Ui::Layout* layout = popup_.GetLayout()) layout->Update();
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        WindowWidget::resizeEvent(event);
        Place();
        Centre();
    }

private:
    Popup& popup_;
};

PopupWidget* Widget(const Control& control) { return static_cast<PopupWidget*>(control.GetPrivate().widget.data()); }

}  // namespace

Popup::Popup() : p_(std::make_unique<PopupPrivate>()) {}

Popup::~Popup() {
    // A running DoModal returns (touching nothing of this popup).
    p_->modal.Abandon();
}

result Popup::Construct(bool hasTitle, const Graphics::Dimension& dim) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return E_INVALID_STATE;
    if (dim.width < 0 || dim.height < 0) return E_INVALID_ARG;
    hasTitle_ = hasTitle;
    auto* widget = new PopupWidget(*this);
    widget->setFont(DefaultFont(32));
    widget->resize(dim.width, dim.height);
    p_->client = new QWidget(widget);
    widget->onClose = [this] {
        // Closed by the user: the loop ends without a result.
        p_->modal.Abandon();
        if (GetPrivate().widget) GetPrivate().widget->hide();
    };
    GetPrivate().Attach(widget, p_->client);
    if (hasTitle) {
        p_->titleControl = std::make_unique<Label>();
        p_->titleControl->Construct({0, 0, dim.width, TITLE_HEIGHT}, Base::String());
        p_->titleControl->SetName(L"popupTitle");
        p_->titleControl->SetTextHorizontalAlignment(ALIGNMENT_CENTER);
        p_->titleControl->SetTextConfig(36, LABEL_TEXT_STYLE_BOLD);
        p_->titleControl->SetTextColor(Graphics::Color(59, 115, 182));
        p_->titleControl->GetPrivate().widget->setParent(widget);
        p_->titleControl->GetPrivate().widget->show();
    }
    widget->Place();
    widget->hide();
    return E_SUCCESS;
}

result Popup::Construct(Vx::Ui::Layout& layout, bool hasTitle, const Graphics::Dimension& dim) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (layout.GetContainer()) return E_INVALID_STATE;
    result r = Construct(hasTitle, dim);
    if (r != E_SUCCESS) return r;
    layout.SetContainer(this);
    layout_ = &layout;
    return E_SUCCESS;
}

result Popup::SetTitleText(const Base::String& title) {
    if (!IsConstructed()) return E_INVALID_STATE;
    Control::SetText(title);
    if (p_->titleControl) p_->titleControl->SetText(title);
    return E_SUCCESS;
}

Base::String Popup::GetTitleText() const { return Control::GetText(); }

Graphics::Rectangle Popup::GetClientAreaBounds() const {
    if (!p_->client) return {};
    QRect r = p_->client->geometry();
    return {r.x(), r.y(), r.width(), r.height()};
}

result Popup::DoModal(int& modalResult) {
    if (!IsConstructed() || p_->modal.IsRunning()) return E_INVALID_STATE;
    if (ModalLoop::IsApplicationTerminating()) return E_INVALID_STATE;
    PopupWidget* widget = Widget(*this);
    widget->Present();
    bool ended = false;
    int value = 0;
    if (!p_->modal.Run(ended, value)) return E_INVALID_STATE;  // the popup was destroyed meanwhile
    if (GetPrivate().widget) GetPrivate().widget->hide();
    if (ended) modalResult = value;
    return E_SUCCESS;
}

result Popup::EndModal(int modalResult) {
    if (!p_->modal.IsRunning()) return E_INVALID_STATE;
    p_->modal.End(modalResult);
    return E_SUCCESS;
}

bool Popup::IsInModalLoop() const { return p_->modal.IsRunning(); }

}  // namespace Vx::Ui::Controls
