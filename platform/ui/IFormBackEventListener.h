#pragma once

namespace Vx::Ui::Controls {

class Form;

// Told when the user asks to leave a form: its footer back button (or the back key).
class IFormBackEventListener {
public:
    virtual ~IFormBackEventListener() = default;
    virtual void OnFormBackRequested(Form& source) = 0;
};

}  // namespace Vx::Ui::Controls
