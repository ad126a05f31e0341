#pragma once
// A modal message: title, text and the buttons of its style. ShowAndWait
// blocks on a nested event loop until a button is pressed, the time-out
// passes, the box is closed, or the application terminates.
// Automation names: the window "messageBox", "messageBoxTitle",
// "messageBoxText", buttons "messageBoxOk", "messageBoxCancel",
// "messageBoxYes", "messageBoxNo"; `close` dismisses it (MSGBOX_RESULT_CLOSE).
#include <memory>

#include "platform/ui/Window.h"

namespace Vx::Ui::Controls {

enum MessageBoxStyle {
    MSGBOX_STYLE_NONE = 0,
    MSGBOX_STYLE_OK = 1,
    MSGBOX_STYLE_CANCEL = 2,
    MSGBOX_STYLE_OKCANCEL = 3,
    MSGBOX_STYLE_YESNO = 4,
    MSGBOX_STYLE_YESNOCANCEL = 5,
};

enum MessageBoxResult {
    MSGBOX_RESULT_CLOSE = 0,  // time-out, closed, or the application ended
    MSGBOX_RESULT_OK = 1,
    MSGBOX_RESULT_CANCEL = 2,
    MSGBOX_RESULT_YES = 3,
    MSGBOX_RESULT_NO = 4,
};

class MessageBoxPrivate;

class MessageBox : public Window {
public:
    static constexpr int WIDTH = 600;

    MessageBox();
    ~MessageBox() override;

    // `timeout` in milliseconds; 0 means no time-out. E_INVALID_ARG for an
    // unknown style; E_INVALID_STATE when called twice or without a windowed application.
    result Construct(const Base::String& title, const Base::String& text, MessageBoxStyle style = MSGBOX_STYLE_OK,
                     unsigned long timeout = 0);

    // `modalResult` gets a MessageBoxResult. E_INVALID_STATE before Construct,
    // while it is already shown, or while the application is terminating
    // (then modalResult is MSGBOX_RESULT_CLOSE at once).
    result ShowAndWait(int& modalResult);

    Base::String GetTitleText() const;
    Base::String GetText() const override;
    MessageBoxStyle GetStyle() const;
    unsigned long GetTimeout() const;

    const char* GetTypeName() const override { return "MessageBox"; }

private:
    std::unique_ptr<MessageBoxPrivate> m_;
};

}  // namespace Vx::Ui::Controls
