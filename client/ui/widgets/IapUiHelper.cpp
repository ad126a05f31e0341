#include "client/ui/widgets/IapUiHelper.h"

#include <memory>
#include <new>

#include "client/ui/widgets/UiButton.h"
#include "platform/system/SettingInfo.h"

using namespace Vx;
using namespace Vx::Ui::Controls;
using Vx::Base::String;

namespace {

int SystemPixelSize() {
    int size = -1;
    if (System::SettingInfo::GetValue(L"font.size", size) == E_SUCCESS) return size;
    String named;
    if (System::SettingInfo::GetValue(L"FontSize", named) != E_SUCCESS) return -1;
    String lower;
    named.ToLowerCase(lower);
    if (lower == L"medium") return IapUiHelper::kMediumPixels;
    if (lower == L"small") return IapUiHelper::kSmallPixels;
    if (lower == L"large") return IapUiHelper::kLargePixels;
    return -1;
}

bool SystemFaceName(String& face) {
    if (System::SettingInfo::GetValue(L"font.type", face) == E_SUCCESS) return true;
    return System::SettingInfo::GetValue(L"FontType", face) == E_SUCCESS;
}

}  // namespace

int IapUiHelper::ToPixelSize(int fontSize) {
    switch (fontSize) {
    case FONT_SIZE_SMALL:
        return kSmallPixels;
    case FONT_SIZE_MEDIUM:
        return kMediumPixels;
    case FONT_SIZE_LARGE:
        return kLargePixels;
    default:
        return -1;
    }
}

Graphics::Font* IapUiHelper::GetCurrentSystemFontN(int pixelSize, int fontStyle) {
    if (pixelSize == -1) pixelSize = SystemPixelSize();
    String face;
    if (pixelSize <= 0 || !SystemFaceName(face) || face.IsEmpty()) return nullptr;
    std::unique_ptr<Graphics::Font> font(new (std::nothrow) Graphics::Font());
    if (!font || font->Construct(face, fontStyle, pixelSize) != E_SUCCESS) return nullptr;
    return font.release();
}

Graphics::Font* IapUiHelper::GetCurrentSystemFontN(FontSize size, int fontStyle) {
    return GetCurrentSystemFontN(ToPixelSize(size), fontStyle);
}

EditField* IapUiHelper::CreateEditFieldN(const String& guideText, EditInputModeCategory category,
                                         EditFieldStyle style) {
    std::unique_ptr<EditField> field(new (std::nothrow) EditField());
    if (!field) return nullptr;
    if (field->Construct(Graphics::Rectangle{0, 0, 150, 112}, style, INPUT_STYLE_FULLSCREEN,
                         EDIT_FIELD_TITLE_STYLE_NONE, false, 100, GROUP_STYLE_NONE) != E_SUCCESS)
        return nullptr;
    field->SetGuideText(guideText);
    field->SetCurrentInputModeCategory(category);
    field->SetMargin(EDIT_MARGIN_TYPE_VERTICAL, 26);
    return field.release();
}

Button* IapUiHelper::CreateButtonN(const String& text, int actionId, Ui::IActionEventListener* listener) {
    std::unique_ptr<UiButton> button(new (std::nothrow) UiButton());
    if (!button || button->Construct(text) != E_SUCCESS) return nullptr;
    if (listener) {
        button->SetActionId(actionId);
        button->AddActionEventListener(*listener);
    }
    return button.release();
}

TextBox* IapUiHelper::CreateTextBoxN(const String& text, int lines, FontSize size, TextBoxBorder border) {
    std::unique_ptr<Graphics::Font> font(GetCurrentSystemFontN(size, Graphics::FONT_STYLE_PLAIN));
    if (!font) return nullptr;
    std::unique_ptr<TextBox> box(new (std::nothrow) TextBox());
    if (!box) return nullptr;
    const int height = lines * (font->GetAscender() + font->GetDescender());
    if (box->Construct(Graphics::Rectangle{0, 0, 150, height}, border) != E_SUCCESS) return nullptr;
    box->SetFont(*font);
    box->SetText(text);
    return box.release();
}
