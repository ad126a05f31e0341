#pragma once
#include "platform/ui/scenes/SceneTypes.h"

namespace Vx::Ui::Controls {
class Form;
}

namespace Vx::Ui::Scenes {

// Builds the form of a scene the first time the scene is entered (and again
// after the form was destroyed). Supplied by the application.
class IFormFactory {
public:
    virtual ~IFormFactory() = default;
    // The caller (the scene manager) owns the returned form, which must be
    // constructed; null when the form id is unknown or building failed.
    virtual Vx::Ui::Controls::Form* CreateFormN(const Vx::Base::String& formId, const SceneId& sceneId) = 0;
};

}  // namespace Vx::Ui::Scenes
