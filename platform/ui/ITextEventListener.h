#pragma once

namespace Vx::Ui {

class Control;

// Told when the user changes the text of an edit field (not when code sets it).
class ITextEventListener {
public:
    virtual ~ITextEventListener() = default;
    virtual void OnTextValueChanged(const Control& source) = 0;
    virtual void OnTextValueChangeCanceled(const Control&) {}
};

}  // namespace Vx::Ui
