#include "platform/ui/Frame.h"

#include <QApplication>
#include <QFont>
#include <algorithm>

#include "platform/ui/ControlPrivate.h"
#include "platform/ui/Form.h"
#include "platform/ui/FramePrivate.h"
#include "platform/ui/UiAutomationServerPrivate.h"

namespace Vx::Ui::Controls {

std::vector<Frame*>& FramePrivate::Frames() {
    static std::vector<Frame*> frames;
    return frames;
}

void FramePrivate::Raise() {
    auto& frames = Frames();
    frames.erase(std::remove(frames.begin(), frames.end(), &owner), frames.end());
    frames.push_back(&owner);
}

void FramePrivate::NotifyClosing() {
    if (closing) return;
    closing = true;
    listeners.ForEach([this](IFrameEventListener& l) { l.OnFrameTerminating(owner); }, [] { return true; });
}

void FramePrivate::NotifyActivation(bool active) {
    if (active) Raise();
    listeners.ForEach(
        [&](IFrameEventListener& l) {
            if (active) {
                l.OnFrameActivated(owner);
            } else {
                l.OnFrameDeactivated(owner);
            }
        },
        [] { return true; });
}

void FramePrivate::LayoutForms() {
    QWidget* window = owner.GetPrivate().widget;
    if (!window) return;
    for (int i = 0; i < owner.GetControlCount(); ++i) {
        owner.GetControl(i)->SetBounds(0, 0, window->width(), window->height());
    }
}

void FrameWidget::closeEvent(QCloseEvent* event) {
    frame_.NotifyClosing();
    event->accept();
}

void FrameWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    frame_.LayoutForms();
}

void FrameWidget::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) frame_.NotifyActivation(isActiveWindow());
}

void FrameWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    frame_.Raise();
}

Frame::Frame() : f_(std::make_unique<FramePrivate>(*this)) {}

Frame::~Frame() {
    auto& frames = FramePrivate::Frames();
    frames.erase(std::remove(frames.begin(), frames.end(), this), frames.end());
    RemoveAllControls();
}

result Frame::Construct() {
    if (IsConstructed()) return E_INVALID_STATE;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return E_INVALID_STATE;
    auto* window = new FrameWidget(*f_);
    window->resize(SCREEN_WIDTH, SCREEN_HEIGHT);
    window->setFont(DefaultFont(32));
    GetPrivate().Attach(window);
    FramePrivate::Frames().insert(FramePrivate::Frames().begin(), this);
    UiAutomationServer::StartIfEnabled();
    return E_SUCCESS;
}

result Frame::AddControl(Control* control) {
    auto* form = dynamic_cast<Form*>(control);
    if (!form) return E_INVALID_ARG;
    result r = Container::AddControl(control);
    if (r != E_SUCCESS) return r;
    QWidget* window = GetPrivate().widget;
    form->SetBounds(0, 0, window->width(), window->height());
    if (!f_->currentForm) return SetCurrentForm(form);
    form->SetShowState(false);
    return E_SUCCESS;
}

result Frame::RemoveControl(Control* control) {
    if (control && control == f_->currentForm) f_->currentForm = nullptr;
    result r = Container::RemoveControl(control);
    if (r == E_SUCCESS && !f_->currentForm && GetControlCount() > 0) {
        SetCurrentForm(dynamic_cast<Form*>(GetControl(GetControlCount() - 1)));
    }
    return r;
}

result Frame::SetCurrentForm(Form* form) {
    if (!form) return E_INVALID_ARG;
    if (form->GetParent() != this) return E_OBJ_NOT_FOUND;
    for (int i = 0; i < GetControlCount(); ++i) {
        Control* child = GetControl(i);
        if (child != form) child->SetShowState(false);
    }
    form->SetShowState(true);
    f_->currentForm = form;
    return E_SUCCESS;
}

Form* Frame::GetCurrentForm() const { return f_->currentForm; }

result Frame::SetText(const Base::String& text) {
    f_->title = text;
    if (GetPrivate().widget) GetPrivate().widget->setWindowTitle(ToQString(text));
    return E_SUCCESS;
}

Base::String Frame::GetText() const { return f_->title; }

result Frame::AddFrameEventListener(IFrameEventListener& listener) { return f_->listeners.Add(listener); }

result Frame::RemoveFrameEventListener(IFrameEventListener& listener) { return f_->listeners.Remove(listener); }

result Frame::Activate() {
    QWidget* window = GetPrivate().widget;
    if (!window) return E_INVALID_STATE;
    window->show();
    // The offscreen platform cannot raise windows and says so on every call.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) window->raise();
    window->activateWindow();
    f_->Raise();
    return E_SUCCESS;
}

result Frame::Close() {
    QWidget* window = GetPrivate().widget;
    if (!window) return E_INVALID_STATE;
    if (!window->isVisible()) {
        // A window never shown still ends as if the user closed it.
        f_->NotifyClosing();
        return E_SUCCESS;
    }
    window->close();
    return E_SUCCESS;
}

result Frame::OnAppFrameAdded() {
    if (!IsConstructed()) return E_INVALID_STATE;
    result r = OnInitializing();
    if (r != E_SUCCESS) return r;
    return Activate();
}

void Frame::OnAppFrameRemoving() {
    // Ended by the application, not closed by the user.
    f_->closing = true;
    OnTerminating();
}

Frame* Frame::GetActiveFrame() {
    auto& frames = FramePrivate::Frames();
    for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
        if ((*it)->IsVisible()) return *it;
    }
    return nullptr;
}

}  // namespace Vx::Ui::Controls
