#pragma once
// The parts of an IapCheckBox.
#include <memory>
#include <vector>

#include "platform/ui/CheckButton.h"
#include "platform/ui/GridLayout.h"
#include "platform/ui/IActionEventListener.h"
#include "platform/ui/Label.h"

class IapCheckBoxPrivate {
public:
    Vx::Ui::Controls::CheckButton* checkButton = nullptr;  // owned by the panel
    Vx::Ui::Controls::Label* label = nullptr;              // owned by the panel; null without label
    bool constructed = false;
    std::vector<Vx::Ui::IActionEventListener*> listeners;
    std::unique_ptr<Vx::Ui::GridLayout> layout;
};
