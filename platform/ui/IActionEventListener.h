#pragma once

namespace Vx::Ui {

class Control;

// Receives the action id of a button (or another actionable control) when the user triggers it.
class IActionEventListener {
public:
    virtual ~IActionEventListener() = default;
    virtual void OnActionPerformed(const Control& source, int actionId) = 0;
};

}  // namespace Vx::Ui
