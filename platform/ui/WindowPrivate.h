#pragma once
// The native side of popups and message boxes: a frameless top-level window,
// modal to the application while shown, centred over the active frame, and a
// nested event loop for modal runs. Only platform UI code sees this.
#include <QEventLoop>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "platform/ui/Window.h"

namespace Vx::Ui::Controls {

class WindowWidget : public QWidget {
public:
    explicit WindowWidget(Window& window);
    // Called when the user (or automation) closes the window.
    std::function<void()> onClose;
    // Centres the window over the active frame (or the phone screen without one).
    void Centre();
    // Shows the window on top and gives it the input.
    void Present();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Window& window_;
};

// A nested event loop that ends with a result (End), or without one (Abandon,
// termination of the application). The owner may be destroyed while the loop runs.
class ModalLoop {
public:
    ~ModalLoop();
    bool IsRunning() const { return loop_ != nullptr; }
    // Runs the loop. False when the owner was destroyed meanwhile (touch nothing then);
    // `ended`/`result` tell whether End was called and with what.
    bool Run(bool& ended, int& result);
    void End(int result);
    void Abandon();

    // True while the running application is terminating: no new loop may start.
    static bool IsApplicationTerminating();

private:
    QEventLoop* loop_ = nullptr;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    bool ended_ = false;
    int result_ = 0;
};

}  // namespace Vx::Ui::Controls
