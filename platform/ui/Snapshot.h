#pragma once
// Pictures of what the user sees, drawn offscreen, for reference-picture tests
// and documentation: a control alone, or the screen (the active frame with an
// open popup, message box or menu drawn over it), saved as PNG; and the
// comparison of a picture against a committed reference within a tolerance.
#include <string>

#include "platform/base/Result.h"

namespace Vx::Ui {

class Control;

class Snapshot {
public:
    // E_INVALID_STATE for a control never constructed; E_IO when the file cannot be written.
    static result SaveControl(const Control& control, const std::string& pngPath);
    // E_OBJ_NOT_FOUND when no window is shown.
    static result SaveScreen(const std::string& pngPath);

    struct Comparison {
        int differentPixels = 0;  // pixels where a channel differs by more than the tolerance
        int totalPixels = 0;
        bool sameSize = false;
        std::string report;  // one line for a test's failure message
    };
    // E_SUCCESS when both pictures have the same size and at most
    // `maxDifferentShare` (0..1) of their pixels differ by more than
    // `channelTolerance` (0..255) in a channel. On a mismatch it returns
    // E_FAILURE and, when `diffPath` is given, writes a picture that marks the
    // different pixels in red. E_OBJ_NOT_FOUND / E_INVALID_FORMAT for a missing or unreadable file.
    static result Compare(const std::string& actualPng, const std::string& referencePng, int channelTolerance,
                          double maxDifferentShare, const std::string& diffPath, Comparison& comparison);
};

}  // namespace Vx::Ui
