#pragma once
#include <QCloseEvent>
#include <QEvent>
#include <QResizeEvent>
#include <QWidget>
#include <vector>

#include "platform/ui/Frame.h"
#include "platform/ui/ListenerList.h"

namespace Vx::Ui::Controls {

class FramePrivate {
public:
    explicit FramePrivate(Frame& owner) : owner(owner) {}

    void NotifyClosing();
    void NotifyActivation(bool active);
    void LayoutForms();
    void Raise();  // most recent last in the list of frames

    Frame& owner;
    Form* currentForm = nullptr;
    Base::String title;
    ListenerList<IFrameEventListener> listeners;
    bool closing = false;

    // Every constructed frame, least recently activated first.
    static std::vector<Frame*>& Frames();
};

// The window of a frame: forwards closing, activation and resizing.
class FrameWidget : public QWidget {
public:
    explicit FrameWidget(FramePrivate& frame) : frame_(frame) {}

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    FramePrivate& frame_;
};

}  // namespace Vx::Ui::Controls
