#pragma once
// The sign-in window: e-mail, password, "Sign in" and "Cancel", and a message
// line for what went wrong. Control names (for UI automation): "email",
// "password", "signIn", "cancel", "message" (shown only when there is
// something to say) and "progress" (shown while the store is asked).
#include "platform/ui/Button.h"
#include "platform/ui/EditField.h"
#include "platform/ui/Form.h"
#include "platform/ui/Frame.h"
#include "platform/ui/Label.h"

namespace OblinSignIn {

class ISignInFrameListener {
public:
    virtual ~ISignInFrameListener() = default;
    // The user asked to sign in with these (non-empty, plausible) values.
    virtual void OnSignInRequested(const Vx::Base::String& email, const Vx::Base::String& password) = 0;
    // The user pressed "Cancel" or closed the window.
    virtual void OnSignInCancelled() = 0;
};

class SignInFrame : public Vx::Ui::Controls::Frame,
                    public Vx::Ui::IActionEventListener,
                    public Vx::Ui::Controls::IFrameEventListener {
public:
    enum ActionId { ACTION_SIGN_IN = 101, ACTION_CANCEL = 102 };

    explicit SignInFrame(ISignInFrameListener& listener) : listener_(listener) {}
    ~SignInFrame() override = default;

    Vx::result Construct();

    // Shows an error; the form is usable again.
    void ShowMessage(const Vx::Base::String& text);
    // Busy while the store is asked: inputs disabled, progress shown.
    void SetBusy(bool busy);

    void OnActionPerformed(const Vx::Ui::Control& source, int actionId) override;
    void OnFrameTerminating(const Vx::Ui::Controls::Frame& source) override;

private:
    Vx::Ui::Controls::Label* AddLabel(Vx::Ui::Controls::Form& form, const wchar_t* name,
                                      const Vx::Graphics::Rectangle& rect, const Vx::Base::String& text);
    Vx::Ui::Controls::Button* AddButton(Vx::Ui::Controls::Form& form, const wchar_t* name,
                                        const Vx::Graphics::Rectangle& rect, const Vx::Base::String& text,
                                        int actionId);
    Vx::Ui::Controls::EditField* AddField(Vx::Ui::Controls::Form& form, const wchar_t* name,
                                          const Vx::Graphics::Rectangle& rect, Vx::Ui::Controls::EditFieldStyle style,
                                          const Vx::Base::String& guide);

    ISignInFrameListener& listener_;
    Vx::Ui::Controls::EditField* email_ = nullptr;
    Vx::Ui::Controls::EditField* password_ = nullptr;
    Vx::Ui::Controls::Button* signIn_ = nullptr;
    Vx::Ui::Controls::Button* cancel_ = nullptr;
    Vx::Ui::Controls::Label* message_ = nullptr;
    Vx::Ui::Controls::Label* progress_ = nullptr;
    bool finished_ = false;
};

}  // namespace OblinSignIn
