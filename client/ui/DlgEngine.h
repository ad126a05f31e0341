#pragma once
// buyclient's message operations. Each builds its popup, runs it modally
// (the caller waits) and destroys it before returning.
#include "platform/base/String.h"

class DlgEngine {
public:
    static constexpr int kTimedMessageMs = 5000;
    static constexpr int kYesActionId = 1;
    static constexpr int kNoActionId = 2;
    static constexpr int kWebCloseActionId = 1002;
    static constexpr int kFallbackRowHeight = 45;
    static constexpr int kFallbackRows = 3;

    DlgEngine() = delete;

    // A message box titled with the error text that closes itself after 5 s.
    static int DlgShowTimedErrorMsg(const Vx::Base::String& text);
    // The same without a title.
    static int DlgShowTimedMsg(const Vx::Base::String& text);
    // 1 for Yes, 2 for No, 0 when the popup closed any other way.
    static int DlgShowQuestionPopup(const Vx::Base::String& text, bool hasTitle = false,
                                    const Vx::Base::String& title = Vx::Base::String());
    // A page in a popup with a Close button.
    static void DlgShowWebPopup(const Vx::Base::String& url, bool hasTitle = false,
                                const Vx::Base::String& title = Vx::Base::String());

    // The arithmetic of the question popup, apart for checking.
    // Width of popups over a frame `frameWidth` wide (a frame not laid out
    // yet counts as the full screen).
    static int PopupWidthFor(int frameWidth);
    // Rows of text for a text `textWidth` wide in a popup `popupWidth` wide.
    static int QuestionRowsFor(int textWidth, int popupWidth);
    // The current frame's size; the full screen when there is no frame yet.
    static int CurrentFrameWidth();
    static int CurrentFrameHeight();
};
