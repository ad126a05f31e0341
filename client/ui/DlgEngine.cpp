#include "client/ui/DlgEngine.h"

#include <memory>
#include <new>

#include "client/EndModalWithActionListener.h"
#include "client/IapResourceManager.h"
#include "client/WebPopupListener.h"
#include "client/ui/widgets/IapPopup.h"
#include "client/ui/widgets/IapUiHelper.h"
#include "platform/app/UiApp.h"
#include "platform/ui/Button.h"
#include "platform/ui/Frame.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/TextBox.h"
#include "platform/ui/Web.h"

using namespace Vx;
using namespace Vx::Ui::Controls;
using Vx::Base::String;

namespace {

Frame* AppFrame() {
    App::UiApp* app = App::UiApp::GetInstance();
    return app ? dynamic_cast<Frame*>(app->GetAppFrame()) : nullptr;
}

int RunModal(Popup& popup) {
    int modalResult = -1;
    popup.SetShowState(true);
    popup.Show();
    popup.DoModal(modalResult);
    return modalResult;
}

int ShowTimed(const String& title, const String& text) {
    MessageBox box;
    if (box.Construct(title, text, MSGBOX_STYLE_NONE, DlgEngine::kTimedMessageMs) != E_SUCCESS) return -1;
    box.SetName(L"message");
    int modalResult = -1;
    box.ShowAndWait(modalResult);
    box.SetShowState(false);
    box.Invalidate(true);
    return modalResult;
}

}  // namespace

int DlgEngine::CurrentFrameWidth() {
    Frame* frame = AppFrame();
    const int width = frame ? frame->GetBounds().width : 0;
    return width > 0 ? width : Frame::SCREEN_WIDTH;
}

int DlgEngine::CurrentFrameHeight() {
    Frame* frame = AppFrame();
    const int height = frame ? frame->GetBounds().height : 0;
    return height > 0 ? height : Frame::SCREEN_HEIGHT;
}

int DlgEngine::PopupWidthFor(int frameWidth) {
    if (frameWidth <= 0) frameWidth = Frame::SCREEN_WIDTH;
    return frameWidth - frameWidth / 8;
}

int DlgEngine::QuestionRowsFor(int textWidth, int popupWidth) {
    if (popupWidth <= 0) popupWidth = PopupWidthFor(0);
    const int lines = textWidth / popupWidth + 1;
    return static_cast<int>(lines * 1.6);
}

int DlgEngine::DlgShowTimedErrorMsg(const String& text) {
    return ShowTimed(IapResourceManager::GetStringFromID(L"IDS_ZUMEA_BODY_ERROR"), text);
}

int DlgEngine::DlgShowTimedMsg(const String& text) { return ShowTimed(String(), text); }

int DlgEngine::DlgShowQuestionPopup(const String& text, bool hasTitle, const String& title) {
    const int width = PopupWidthFor(CurrentFrameWidth());
    // Empty first and last columns keep the text and buttons off the popup's
    // border: the grid's spacing after and before them is the margin.
    IapPopup popup;
    if (popup.Construct(2, 4, hasTitle, width) != E_SUCCESS) return 0;
    popup.SetName(L"question");
    if (hasTitle) popup.SetTitleText(title);

    int rows = kFallbackRows;
    int rowHeight = kFallbackRowHeight;
    std::unique_ptr<Graphics::Font> font(
        IapUiHelper::GetCurrentSystemFontN(IapUiHelper::FONT_SIZE_MEDIUM, Graphics::FONT_STYLE_PLAIN));
    if (font) {
        Graphics::Dimension extent;
        font->GetTextExtent(text, text.GetLength(), extent);
        rows = QuestionRowsFor(extent.width, width);
        rowHeight = font->GetAscender() + font->GetDescender();
    }
    std::unique_ptr<TextBox> box(new (std::nothrow) TextBox());
    if (!box || box->Construct(Graphics::Rectangle{0, 0, 150, rows * rowHeight}, TEXT_BOX_BORDER_NONE) != E_SUCCESS)
        return 0;
    box->SetName(L"questionText");
    if (font) box->SetFont(*font);
    box->SetText(text);
    if (popup.AddControl(box.get(), 0, 1, 1, 2) != E_SUCCESS) return 0;
    box.release();

    EndModalWithActionListener ender;
    ender.Construct(&popup);
    struct QuestionButton {
        const wchar_t* textId;
        const wchar_t* name;
        int actionId;
        int column;
    };
    for (const QuestionButton& entry : {QuestionButton{L"IDS_ZUMEA_SK_YES_ABB", L"yes", kYesActionId, 1},
                                        QuestionButton{L"IDS_ZUMEA_SK_NO_ABB", L"no", kNoActionId, 2}}) {
        std::unique_ptr<Button> button(
            IapUiHelper::CreateButtonN(IapResourceManager::GetStringFromID(entry.textId), entry.actionId, &ender));
        if (!button) return 0;
        button->SetName(entry.name);
        if (popup.AddControl(button.get(), 1, entry.column) != E_SUCCESS) return 0;
        button.release();
    }
    popup.GetGridLayout().SetColumnStretchable(1, true);
    popup.GetGridLayout().SetColumnStretchable(2, true);
    popup.AdjustSize();

    const int modalResult = RunModal(popup);
    return modalResult == kYesActionId || modalResult == kNoActionId ? modalResult : 0;
}

void DlgEngine::DlgShowWebPopup(const String& url, bool hasTitle, const String& title) {
    const int width = PopupWidthFor(CurrentFrameWidth());
    const int frameHeight = CurrentFrameHeight();
    IapPopup popup;
    if (popup.Construct(2, 1, hasTitle, width) != E_SUCCESS) return;
    popup.SetName(L"webPopup");
    if (hasTitle) popup.SetTitleText(title);

    std::unique_ptr<Web> web(new (std::nothrow) Web());
    if (!web || web->Construct(Graphics::Rectangle{0, 0, 150, frameHeight - frameHeight / 3}) != E_SUCCESS) return;
    web->SetName(L"web");
    Web* webControl = web.get();
    if (popup.AddControl(web.get(), 0, 0) != E_SUCCESS) return;
    web.release();

    WebPopupListener listener;
    listener.Construct(&popup, webControl, url, kWebCloseActionId);
    std::unique_ptr<Button> close(IapUiHelper::CreateButtonN(IapResourceManager::GetStringFromID(L"IDS_ZUMEA_SK_CLOSE"),
                                                             kWebCloseActionId, &listener));
    if (!close) return;
    close->SetName(L"close");
    if (popup.AddControl(close.get(), 1, 0) != E_SUCCESS) return;
    close.release();
    popup.SetAllColumnsStretchable(true);
    popup.AdjustSize();

    RunModal(popup);
}
