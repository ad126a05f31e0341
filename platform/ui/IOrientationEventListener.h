#pragma once

namespace Vx::Ui {

class Control;

namespace Controls {
enum OrientationStatus {
    ORIENTATION_STATUS_NONE = 0,
    ORIENTATION_STATUS_PORTRAIT = 1,
    ORIENTATION_STATUS_LANDSCAPE = 2,
    ORIENTATION_STATUS_PORTRAIT_REVERSE = 3,
    ORIENTATION_STATUS_LANDSCAPE_REVERSE = 4,
};
}  // namespace Controls

// Told when a form turns. The stand-in screen is always portrait, so this is
// only heard when a form's orientation is changed by code.
class IOrientationEventListener {
public:
    virtual ~IOrientationEventListener() = default;
    virtual void OnOrientationChanged(const Control& source, Controls::OrientationStatus orientationStatus) = 0;
};

}  // namespace Vx::Ui
