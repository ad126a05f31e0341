#include "platform/ui/Window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "platform/app/App.h"
#include "platform/app/AppRuntimePrivate.h"
#include "platform/ui/ControlPrivate.h"
#include "platform/ui/Frame.h"
#include "platform/ui/WindowPrivate.h"

namespace Vx::Ui::Controls {

WindowWidget::WindowWidget(Window& window) : window_(window) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowModality(Qt::ApplicationModal);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void WindowWidget::Centre() {
    QRect screen(0, 0, Frame::SCREEN_WIDTH, Frame::SCREEN_HEIGHT);
    if (Frame* frame = Frame::GetActiveFrame()) {
        if (QWidget* w = frame->GetPrivate().widget; w && w->width() > 0 && w->height() > 0) {
            screen = QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
        }
    }
    move(screen.x() + (screen.width() - width()) / 2, screen.y() + (screen.height() - height()) / 2);
}

void WindowWidget::Present() {
    show();
    // The offscreen platform cannot raise windows and says so on every call.
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) raise();
    activateWindow();
}

void WindowWidget::showEvent(QShowEvent* event) {
    Centre();
    QWidget::showEvent(event);
    window_.NotifyShown(true);
}

void WindowWidget::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    window_.NotifyShown(false);
}

void WindowWidget::closeEvent(QCloseEvent* event) {
    event->accept();
    if (onClose) onClose();
}

void WindowWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(255, 255, 255));
    painter.setPen(QPen(QColor(120, 120, 120), 2));
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
}

ModalLoop::~ModalLoop() {
    *alive_ = false;
    if (loop_) loop_->exit(0);
}

bool ModalLoop::Run(bool& ended, int& result) {
    QEventLoop loop;
    loop_ = &loop;
    ended_ = false;
    std::shared_ptr<bool> alive = alive_;
    // Termination ends the loop wherever it runs; before the main loop no
    // application exit would reach it.
    int hook = App::AppRuntime::AddTerminationHook([&loop] { loop.exit(0); });
    loop.exec(QEventLoop::DialogExec);
    App::AppRuntime::RemoveTerminationHook(hook);
    if (!*alive) return false;
    loop_ = nullptr;
    ended = ended_;
    result = result_;
    return true;
}

void ModalLoop::End(int result) {
    if (!loop_) return;
    ended_ = true;
    result_ = result;
    loop_->exit(0);
}

void ModalLoop::Abandon() {
    if (loop_) loop_->exit(0);
}

bool ModalLoop::IsApplicationTerminating() {
    App::App* app = App::App::GetInstance();
    if (!app) return false;
    App::AppState state = app->GetAppState();
    return state == App::APP_STATE_TERMINATING || state == App::APP_STATE_TERMINATED;
}

Window::~Window() = default;

result Window::AddWindowEventListener(IWindowEventListener& listener) { return windowListeners_.Add(listener); }

result Window::RemoveWindowEventListener(IWindowEventListener& listener) { return windowListeners_.Remove(listener); }

void Window::NotifyShown(bool shown) {
    if (shown == shown_) return;
    shown_ = shown;
    QPointer<QWidget> alive = GetPrivate().widget;
    windowListeners_.ForEach(
        [&](IWindowEventListener& l) {
            if (shown) {
                l.OnWindowActivated(*this);
            } else {
                l.OnWindowDeactivated(*this);
            }
        },
        [&] { return !alive.isNull(); });
}

}  // namespace Vx::Ui::Controls
