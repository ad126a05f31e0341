// The widget toolkit: the system font, the sizing arithmetic of labels,
// buttons, grids and popups, the combo box's notifications and the check
// box's states, inside this process's offscreen UI.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "client/ui/DlgEngine.h"
#include "client/ui/widgets/IapCheckBox.h"
#include "client/ui/widgets/IapComboBox.h"
#include "client/ui/widgets/IapComboBoxPrivate.h"
#include "client/ui/widgets/IapGridLayout.h"
#include "client/ui/widgets/IapGridLayoutPanel.h"
#include "client/ui/widgets/IapLabel.h"
#include "client/ui/widgets/IapLabelHelpers.h"
#include "client/ui/widgets/IapPopup.h"
#include "client/ui/widgets/IapUiHelper.h"
#include "client/ui/widgets/UiButton.h"
#include "platform/base/PlatformHome.h"
#include "platform/ui/Form.h"
#include "platform/ui/Frame.h"
#include "platform/ui/Label.h"
#include "tests/client/ClientTestSupport.h"

using namespace Vx;
using namespace Vx::Ui::Controls;
using Vx::Base::String;
using Vx::Base::Collection::ArrayListT;

namespace {

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new ClientTest::Environment(true));

// Writes the device profile of the process's platform home; empty removes it.
void WriteProfile(const std::string& text) {
    const std::filesystem::path dir = std::filesystem::path(std::getenv("IAP_PLATFORM_HOME")) / "device";
    std::filesystem::create_directories(dir);
    if (text.empty()) {
        std::filesystem::remove(dir / "profile.ini");
        return;
    }
    std::ofstream(dir / "profile.ini") << text;
}

class ProfileGuard {
public:
    explicit ProfileGuard(const std::string& text) { WriteProfile(text); }
    ~ProfileGuard() { WriteProfile(""); }
};

Label* MakeLabel(int height) {
    auto* label = new Label();
    label->Construct(Graphics::Rectangle{0, 0, 100, height}, L"x");
    return label;
}

ArrayListT<String> Items(std::initializer_list<const wchar_t*> texts) {
    ArrayListT<String> items;
    for (const wchar_t* text : texts)
        items.Add(String(text));
    return items;
}

struct ComboRecorder : IapIComboBoxListener {
    void OnSelectedItemChangedByUser(const IapComboBox& source) override { byUser.push_back(source.GetCurrentIndex()); }
    void OnSelectedItemChanged(const IapComboBox& source) override { byProgram.push_back(source.GetCurrentIndex()); }
    std::vector<int> byUser;
    std::vector<int> byProgram;
};

}  // namespace

TEST(IapUiHelperTest, SystemFontFollowsTheSettingsAndIsAbsentWithoutThem) {
    std::unique_ptr<Graphics::Font> medium(
        IapUiHelper::GetCurrentSystemFontN(IapUiHelper::FONT_SIZE_MEDIUM, Graphics::FONT_STYLE_PLAIN));
    ASSERT_NE(nullptr, medium);
    EXPECT_EQ(35, medium->GetSize());
    EXPECT_EQ(25, IapUiHelper::ToPixelSize(1));
    EXPECT_EQ(40, IapUiHelper::ToPixelSize(3));
    EXPECT_EQ(-1, IapUiHelper::ToPixelSize(0));
    EXPECT_EQ(-1, IapUiHelper::ToPixelSize(7));
    {
        // No integer size: the named size is used, whatever its case.
        ProfileGuard profile("[font]\nsize =\n[setting]\nFontSize = LARGE\n");
        std::unique_ptr<Graphics::Font> system(IapUiHelper::GetCurrentSystemFontN(-1, Graphics::FONT_STYLE_BOLD));
        ASSERT_NE(nullptr, system);
        EXPECT_EQ(40, system->GetSize());
        EXPECT_TRUE(system->IsBold());
    }
    {
        ProfileGuard profile("[font]\nsize =\n[setting]\nFontSize = huge\n");
        EXPECT_EQ(nullptr, IapUiHelper::GetCurrentSystemFontN(IapUiHelper::FONT_SIZE_SYSTEM, 1));
        // An explicit size needs no size setting.
        std::unique_ptr<Graphics::Font> fixed(IapUiHelper::GetCurrentSystemFontN(36, Graphics::FONT_STYLE_PLAIN));
        EXPECT_NE(nullptr, fixed);
    }
    {
        ProfileGuard profile("[font]\ntype =\n[setting]\nFontType =\n");
        EXPECT_EQ(nullptr, IapUiHelper::GetCurrentSystemFontN(36, Graphics::FONT_STYLE_PLAIN));
        // Without a font the text box cannot be sized, a button takes its fallback width.
        EXPECT_EQ(nullptr, IapUiHelper::CreateTextBoxN(L"text", 2, IapUiHelper::FONT_SIZE_SMALL, TEXT_BOX_BORDER_NONE));
        UiButton button;
        ASSERT_EQ(E_SUCCESS, button.Construct(L"A long text that is certainly more than 150 wide"));
        EXPECT_EQ(174, button.GetSize().width);
        IapLabel label;
        EXPECT_NE(E_SUCCESS, label.Construct(L"x", LABEL_TEXT_STYLE_NORMAL, 2, false));
    }
}

TEST(IapUiHelperTest, FactoriesBuildWhatTheScreensAskFor) {
    std::unique_ptr<EditField> field(
        IapUiHelper::CreateEditFieldN(L"Card number", EDIT_INPUTMODE_NUMERIC, EDIT_FIELD_STYLE_NUMBER));
    ASSERT_NE(nullptr, field);
    EXPECT_EQ((Graphics::Rectangle{0, 0, 150, 112}), field->GetBounds());
    EXPECT_EQ(String(L"Card number"), field->GetGuideText());
    EXPECT_EQ(100, field->GetLimitLength());
    EXPECT_EQ(EDIT_INPUTMODE_NUMERIC, field->GetCurrentInputModeCategory());
    EXPECT_EQ(26, field->GetMargin(EDIT_MARGIN_TYPE_VERTICAL));

    {
        struct Heard : Ui::IActionEventListener {
            void OnActionPerformed(const Ui::Control&, int id) override { ids.push_back(id); }
            std::vector<int> ids;
        } heard;
        std::unique_ptr<Button> button(IapUiHelper::CreateButtonN(L"Go", 77, &heard));
        ASSERT_NE(nullptr, button);
        EXPECT_EQ(77, button->GetActionId());
        EXPECT_NE(nullptr, dynamic_cast<UiButton*>(button.get()));
        std::unique_ptr<Button> silent(IapUiHelper::CreateButtonN(L"Go", 77, nullptr));
        ASSERT_NE(nullptr, silent);
        EXPECT_EQ(-1, silent->GetActionId());
    }

    std::unique_ptr<Graphics::Font> font(
        IapUiHelper::GetCurrentSystemFontN(IapUiHelper::FONT_SIZE_SMALL, Graphics::FONT_STYLE_PLAIN));
    ASSERT_NE(nullptr, font);
    std::unique_ptr<TextBox> box(
        IapUiHelper::CreateTextBoxN(L"Several words", 3, IapUiHelper::FONT_SIZE_SMALL, TEXT_BOX_BORDER_NONE));
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(3 * (font->GetAscender() + font->GetDescender()), box->GetSize().height);
    EXPECT_EQ(String(L"Several words"), box->GetText());
}

TEST(IapLabelTest, SizesItselfToItsTextOrOnlyItsHeight) {
    EXPECT_EQ(Graphics::FONT_STYLE_BOLD, IapLabelHelpers::LabelTextStyleToFontStyle(LABEL_TEXT_STYLE_BOLD));
    EXPECT_EQ(Graphics::FONT_STYLE_ITALIC, IapLabelHelpers::LabelTextStyleToFontStyle(LABEL_TEXT_STYLE_ITALIC));
    EXPECT_EQ(Graphics::FONT_STYLE_PLAIN, IapLabelHelpers::LabelTextStyleToFontStyle(LABEL_TEXT_STYLE_NORMAL));
    for (int size : {-1, 0, 1, 2, 3})
        EXPECT_EQ(size, IapLabelHelpers::LabelToHelperFontSize(size));
    EXPECT_EQ(-1, IapLabelHelpers::LabelToHelperFontSize(4));
    EXPECT_EQ(-1, IapLabelHelpers::LabelToHelperFontSize(-2));

    Graphics::Dimension dimension;
    EXPECT_EQ(E_INVALID_ARG, IapLabelHelpers::CalculateTextDimension(nullptr, 4, 8, L"x", false, dimension));

    std::unique_ptr<Graphics::Font> font(
        IapUiHelper::GetCurrentSystemFontN(IapUiHelper::FONT_SIZE_LARGE, Graphics::FONT_STYLE_BOLD));
    ASSERT_NE(nullptr, font);
    Graphics::Dimension extent;
    ASSERT_EQ(E_SUCCESS, font->GetTextExtent(L"Payment", -1, extent));

    IapLabel label;
    ASSERT_EQ(E_SUCCESS, label.Construct(L"Payment", LABEL_TEXT_STYLE_BOLD, IapLabel::FONT_SIZE_LARGE, false));
    const int top = label.GetTopMargin();
    const int left = label.GetLeftMargin();
    EXPECT_EQ(font->GetAscender() + 2 * top + font->GetDescender(), label.GetSize().height);
    EXPECT_EQ(extent.width + 2 * left, label.GetSize().width);
    EXPECT_EQ(40, label.GetTextSize());
    EXPECT_EQ(LABEL_TEXT_STYLE_BOLD, label.GetTextStyle());
    EXPECT_EQ(ALIGNMENT_CENTER, label.GetTextHorizontalAlignment());
    EXPECT_EQ(font->GetFaceName(), label.GetFont());

    IapLabel stretched;
    ASSERT_EQ(E_SUCCESS, stretched.Construct(L"Payment", LABEL_TEXT_STYLE_NORMAL, 99, true));
    EXPECT_EQ(48, stretched.GetSize().width);
    EXPECT_EQ(35, stretched.GetTextSize()) << "a size outside -1..3 is the system size";
}

TEST(UiButtonTest, WidthFollowsTheTextWithAMinimum) {
    EXPECT_EQ(174, UiButton::WidthFor(10));
    EXPECT_EQ(324, UiButton::WidthFor(300));
    UiButton shortButton;
    ASSERT_EQ(E_SUCCESS, shortButton.Construct(L"OK"));
    EXPECT_EQ((Graphics::Dimension{174, 74}), shortButton.GetSize());
    EXPECT_EQ(ALIGNMENT_CENTER, shortButton.GetTextHorizontalAlignment());

    const String longText = L"Purchase with a different phone number";
    std::unique_ptr<Graphics::Font> font(IapUiHelper::GetCurrentSystemFontN(36, Graphics::FONT_STYLE_PLAIN));
    ASSERT_NE(nullptr, font);
    Graphics::Dimension extent;
    ASSERT_EQ(E_SUCCESS, font->GetTextExtent(longText, -1, extent));
    ASSERT_GT(extent.width, 150);
    UiButton longButton;
    ASSERT_EQ(E_SUCCESS, longButton.Construct(longText));
    EXPECT_EQ(extent.width + 24, longButton.GetSize().width);
}

TEST(IapGridLayoutTest, CalculatedHeightSumsRowsAndSpacing) {
    Form empty;
    IapGridLayout oneRow;
    ASSERT_EQ(E_SUCCESS, oneRow.Construct(1, 2));
    ASSERT_EQ(E_SUCCESS, empty.Construct(oneRow, FORM_STYLE_NORMAL));
    EXPECT_EQ(0, oneRow.GetCalculatedHeight());

    Form form;
    IapGridLayout grid;
    ASSERT_EQ(E_SUCCESS, grid.Construct(3, 2));
    ASSERT_EQ(E_SUCCESS, form.Construct(grid, FORM_STYLE_NORMAL));
    const int heights[] = {40, 60, 42};
    for (int row = 0; row < 3; ++row) {
        Label* label = MakeLabel(heights[row]);
        ASSERT_EQ(E_SUCCESS, form.AddControl(label));
        ASSERT_EQ(E_SUCCESS, grid.AddControl(*label, row, 0));
    }
    EXPECT_EQ(182, grid.GetCalculatedHeight());

    // A lower control in the same row changes nothing; a span counts in its first row only.
    Label* low = MakeLabel(10);
    ASSERT_EQ(E_SUCCESS, form.AddControl(low));
    ASSERT_EQ(E_SUCCESS, grid.AddControl(*low, 1, 1));
    Label* spanning = MakeLabel(100);
    ASSERT_EQ(E_SUCCESS, form.AddControl(spanning));
    ASSERT_EQ(E_SUCCESS, grid.AddControl(*spanning, 0, 1, 2, 1));
    EXPECT_EQ(100 + 60 + 42 + 40, grid.GetCalculatedHeight());

    // A cell outside the grid is refused and not recorded; positioning alone records nothing.
    Label* outside = MakeLabel(500);
    ASSERT_EQ(E_SUCCESS, form.AddControl(outside));
    EXPECT_NE(E_SUCCESS, grid.AddControl(*outside, 5, 0));
    EXPECT_EQ(E_SUCCESS, grid.SetPosition(*outside, 2, 1));
    EXPECT_EQ(242, grid.GetCalculatedHeight());
}

TEST(IapGridLayoutPanelTest, TakesTheHeightOfItsContent) {
    IapGridLayoutPanel panel;
    EXPECT_EQ(E_INVALID_STATE, panel.SetAllColumnsStretchable(true));
    EXPECT_EQ(E_INVALID_STATE, panel.SetColumnStretchable(0, true));
    std::unique_ptr<Label> kept(MakeLabel(10));
    EXPECT_EQ(E_INVALID_STATE, panel.AddControl(kept.get(), 0, 0));
    ASSERT_EQ(E_SUCCESS, panel.Construct(2, 2, Graphics::Rectangle{0, 0, 600, 10}));
    EXPECT_EQ(E_INVALID_STATE, panel.Construct(2, 2, Graphics::Rectangle{0, 0, 600, 10}));
    ASSERT_EQ(E_SUCCESS, panel.AddControl(MakeLabel(50), 0, 0));
    ASSERT_EQ(E_SUCCESS, panel.AddControl(MakeLabel(70), 1, 1));
    ASSERT_EQ(E_SUCCESS, panel.SetAllColumnsStretchable(true));
    ASSERT_EQ(E_SUCCESS, panel.AdjustHeight());
    EXPECT_EQ((Graphics::Dimension{600, 140}), panel.GetSize());
    EXPECT_EQ(E_INVALID_ARG, panel.AddControl(nullptr, 0, 0));
}

TEST(IapPopupTest, HeightIsTheContentPlusTheFrameOfThePopup) {
    EXPECT_EQ(248, IapPopup::HeightFor(100, true));
    EXPECT_EQ(168, IapPopup::HeightFor(100, false));
    for (bool title : {true, false}) {
        IapPopup popup;
        ASSERT_EQ(E_SUCCESS, popup.Construct(1, 1, title, 900));
        EXPECT_EQ((Graphics::Dimension{720, 48}), popup.GetSize()) << "capped at the screen width";
        ASSERT_EQ(E_SUCCESS, popup.AddControl(MakeLabel(100), 0, 0));
        ASSERT_EQ(E_SUCCESS, popup.AdjustSize());
        EXPECT_EQ(title ? 248 : 168, popup.GetSize().height);
    }
}

// A popup follows the form it was opened over, and leaves it alone once
// gone, whatever form is current then; a form gone first is not touched.
TEST(IapPopupTest, TeardownLeavesTheFormItWasAddedTo) {
    // No application frame in this process: the popup watches nothing and says so.
    IapPopup loose;
    ASSERT_EQ(E_SUCCESS, loose.Construct(1, 1, false, 600));
    EXPECT_EQ(nullptr, loose.GetWatchedForm());
    EXPECT_EQ((Graphics::Rectangle{}), IapPopup::GetCurrentScreenRectangle());
    EXPECT_EQ(ORIENTATION_STATUS_NONE, IapPopup::GetCurrentOrientationStatus());
}

TEST(DlgEngineTest, PopupArithmeticSurvivesAFrameOfNoWidth) {
    EXPECT_EQ(630, DlgEngine::PopupWidthFor(720));
    EXPECT_EQ(630, DlgEngine::PopupWidthFor(0)) << "no frame yet counts as the full screen";
    EXPECT_EQ(630, DlgEngine::PopupWidthFor(-5));
    EXPECT_EQ(1, DlgEngine::QuestionRowsFor(100, 630));
    EXPECT_EQ(3, DlgEngine::QuestionRowsFor(700, 630));
    EXPECT_EQ(4, DlgEngine::QuestionRowsFor(1300, 630));
    EXPECT_EQ(3, DlgEngine::QuestionRowsFor(700, 0)) << "a popup of no width is sized as the full one";
    EXPECT_EQ(720, DlgEngine::CurrentFrameWidth());
}

TEST(IapComboBoxTest, EmptyItemsShowNothingAndIgnoreTaps) {
    IapComboBox box;
    ASSERT_EQ(E_SUCCESS, box.Construct(ArrayListT<String>()));
    ComboRecorder heard;
    ASSERT_EQ(E_SUCCESS, box.AddComboBoxListener(heard));
    EXPECT_EQ(String(), box.GetText());
    EXPECT_EQ(String(), box.GetCurrentText());
    EXPECT_EQ(-1, box.GetCurrentIndex());
    EXPECT_FALSE(box.HasMenu());
    box.GetPrivate().OnActionPerformed(box, IapComboBox::kButtonActionId);
    box.GetPrivate().OnActionPerformed(box, IapComboBox::kFirstItemActionId);
    EXPECT_FALSE(box.IsMenuShown());
    EXPECT_EQ(E_INVALID_ARG, box.SetCurrentIndex(0));
    EXPECT_TRUE(heard.byUser.empty());
    EXPECT_TRUE(heard.byProgram.empty());
}

TEST(IapComboBoxTest, TellsListenersWhoChangedTheItemAndOnlyOnChange) {
    IapComboBox box;
    ComboRecorder first;
    ComboRecorder second;
    ASSERT_EQ(E_SUCCESS, box.AddComboBoxListener(first));
    EXPECT_EQ(E_OBJ_ALREADY_EXIST, box.AddComboBoxListener(first));
    ASSERT_EQ(E_SUCCESS, box.AddComboBoxListener(second));
    ASSERT_EQ(E_SUCCESS, box.Construct(Items({L"Visa", L"MasterCard", L"Visa", L"Amex"})));
    // The first item became current by the program.
    EXPECT_EQ(std::vector<int>{0}, first.byProgram);
    EXPECT_EQ(String(L"Visa"), box.GetText());
    ASSERT_TRUE(box.HasMenu());

    // Tap, then choose entry 3 from the menu.
    box.GetPrivate().OnActionPerformed(box, IapComboBox::kButtonActionId);
    EXPECT_TRUE(box.IsMenuShown());
    box.GetPrivate().OnActionPerformed(box, IapComboBox::kFirstItemActionId + 3);
    EXPECT_FALSE(box.IsMenuShown());
    EXPECT_EQ(std::vector<int>{3}, first.byUser);
    EXPECT_EQ(std::vector<int>{3}, second.byUser);
    EXPECT_EQ(String(L"Amex"), box.GetCurrentText());

    // Choosing the current entry again, or an entry past the menu, tells nobody.
    box.GetPrivate().OnActionPerformed(box, IapComboBox::kFirstItemActionId + 3);
    box.GetPrivate().OnActionPerformed(box, IapComboBox::kFirstItemActionId + 4);
    EXPECT_EQ(std::vector<int>{3}, first.byUser);
    EXPECT_EQ(E_INVALID_STATE, box.SetCurrentIndex(3));

    // A text that occurs twice selects its first occurrence.
    ASSERT_EQ(E_SUCCESS, box.SetCurrentText(L"Visa"));
    EXPECT_EQ(0, box.GetCurrentIndex());
    EXPECT_EQ(E_OBJ_NOT_FOUND, box.SetCurrentText(L"Diners"));
    EXPECT_EQ(E_INVALID_ARG, box.SetCurrentIndex(4));
    EXPECT_EQ(E_INVALID_ARG, box.SetCurrentIndex(-1));
    ASSERT_EQ(E_SUCCESS, box.RemoveComboBoxListener(second));
    EXPECT_EQ(E_OBJ_NOT_FOUND, box.RemoveComboBoxListener(second));
    ASSERT_EQ(E_SUCCESS, box.SetCurrentIndex(1));
    EXPECT_EQ((std::vector<int>{0, 0, 1}), first.byProgram);
    EXPECT_EQ((std::vector<int>{0, 0}), second.byProgram) << "nothing after its removal";

    // New items: the menu is rebuilt, the first item current again.
    ASSERT_EQ(E_SUCCESS, box.SetItems(Items({L"Phone bill"})));
    EXPECT_EQ(0, box.GetCurrentIndex());
    EXPECT_EQ(String(L"Phone bill"), box.GetText());
    box.RemoveAllComboBoxListeners();
    ASSERT_EQ(E_SUCCESS, box.SetItems(Items({L"A", L"B"})));
    EXPECT_EQ((std::vector<int>{0, 0, 1, 0}), first.byProgram);
}

TEST(IapComboBoxTest, MenuOpensBelowTheButtonOnScreen) {
    IapGridLayoutPanel panel;
    ASSERT_EQ(E_SUCCESS, panel.Construct(1, 1, Graphics::Rectangle{30, 200, 600, 200}));
    auto* box = new IapComboBox();
    ASSERT_EQ(E_SUCCESS, box->Construct(Items({L"One", L"Two"})));
    ASSERT_EQ(E_SUCCESS, panel.AddControl(box));
    box->SetBounds(10, 40, 300, 74);
    const Graphics::Point anchor = box->GetPrivate().MenuAnchorForButton();
    EXPECT_EQ(30 + 10 + 20, anchor.x);
    EXPECT_EQ(200 + 40 + 74 - 16, anchor.y);
}

TEST(IapCheckBoxTest, StatesActionIdsAndTheLabelItMayLack) {
    IapCheckBox narrow;
    EXPECT_EQ(E_INVALID_ARG, narrow.Construct(Graphics::Rectangle{0, 0, 157, 80}, CHECK_BUTTON_STYLE_MARK,
                                              BACKGROUND_STYLE_NONE, true, L"I agree"));
    EXPECT_EQ(E_INVALID_ARG, narrow.Construct(Graphics::Rectangle{0, 0, 109, 80}, CHECK_BUTTON_STYLE_MARK,
                                              BACKGROUND_STYLE_NONE, false, L""));

    IapCheckBox box;
    ASSERT_EQ(E_SUCCESS, box.Construct(Graphics::Rectangle{0, 0, 600, 80}, CHECK_BUTTON_STYLE_MARK,
                                       BACKGROUND_STYLE_NONE, true, L"I agree"));
    ASSERT_NE(nullptr, box.GetLabel());
    EXPECT_EQ(String(L"I agree"), box.GetLabel()->GetText());
    EXPECT_EQ(110, box.GetCheckButton()->GetSize().width);
    EXPECT_FALSE(box.IsSelected());
    box.SetSelected(true);
    EXPECT_TRUE(box.IsSelected());
    box.SetActionId(5, 6, 7);
    EXPECT_EQ(5, box.GetCheckedActionId());
    EXPECT_EQ(6, box.GetUncheckedActionId());
    EXPECT_EQ(7, box.GetSelectedActionId());
    box.SetTextConfig(30, LABEL_TEXT_STYLE_BOLD);
    EXPECT_EQ(30, box.GetTextSize());
    EXPECT_EQ(LABEL_TEXT_STYLE_BOLD, box.GetTextStyle());
    box.SetTextHorizontalAlignment(ALIGNMENT_RIGHT);
    EXPECT_EQ(ALIGNMENT_RIGHT, box.GetTextHorizontalAlignment());

    struct Heard : Ui::IActionEventListener {
        void OnActionPerformed(const Ui::Control&, int id) override { ids.push_back(id); }
        std::vector<int> ids;
    } heard;
    box.AddActionEventListener(heard);
    box.AddActionEventListener(heard);  // once only
    box.GetCheckButton()->OnPressed();
    EXPECT_FALSE(box.IsSelected());
    box.GetCheckButton()->OnPressed();
    EXPECT_TRUE(box.IsSelected());
    EXPECT_EQ((std::vector<int>{6, 5}), heard.ids);
    box.RemoveActionEventListener(heard);
    box.GetCheckButton()->OnPressed();
    EXPECT_EQ(2u, heard.ids.size());

    IapCheckBox bare;
    ASSERT_EQ(E_SUCCESS, bare.Construct(Graphics::Rectangle{0, 0, 110, 80}, CHECK_BUTTON_STYLE_ONOFF,
                                        BACKGROUND_STYLE_DEFAULT, false, L"ignored"));
    EXPECT_EQ(nullptr, bare.GetLabel());
    bare.SetTextConfig(30, LABEL_TEXT_STYLE_BOLD);
    bare.SetTextVerticalAlignment(ALIGNMENT_BOTTOM);
    EXPECT_EQ(-1, bare.GetTextSize());
    EXPECT_EQ(0, static_cast<int>(bare.GetTextStyle()));
    EXPECT_EQ(0, static_cast<int>(bare.GetTextVerticalAlignment()));
    EXPECT_EQ(0, static_cast<int>(bare.GetTextHorizontalAlignment()));
}
