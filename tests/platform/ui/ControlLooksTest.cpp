// Labels, buttons, check buttons, edit fields, text boxes, panels and
// animations: their state, their refusals and what they draw.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAbstractButton>
#include <QImage>
#include <QLineEdit>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/app/EventLoop.h"
#include "platform/ui/Animation.h"
#include "platform/ui/AnimationFrame.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Button.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/CheckButton.h"
#include "platform/ui/ControlPrivate.h"
#include "platform/ui/EditField.h"
#include "platform/ui/Font.h"
#include "platform/ui/GridLayout.h"
#include "platform/ui/Label.h"
#include "platform/ui/Panel.h"
#include "platform/ui/ScrollPanel.h"
#include "platform/ui/TableViewItem.h"
#include "platform/ui/TextBox.h"
#include "platform/ui/UiEnvironment.h"

using namespace Vx;
using namespace Vx::Ui;
using namespace Vx::Ui::Controls;
using Vx::Base::Collection::ArrayList;
using Vx::Base::Collection::ElementOwnership;

namespace {

class Recorder : public IActionEventListener {
public:
    void OnActionPerformed(const Control&, int actionId) override { actions.push_back(actionId); }
    std::vector<int> actions;
};

std::unique_ptr<Graphics::Bitmap> Filled(int w, int h, Graphics::Color color) {
    Graphics::Canvas canvas;
    canvas.Construct({0, 0, w, h});
    canvas.FillRectangle(color, {0, 0, w, h});
    auto bitmap = std::make_unique<Graphics::Bitmap>();
    bitmap->Construct(canvas, {0, 0, w, h});
    return bitmap;
}

QImage Picture(const Control& control) { return control.GetPrivate().widget->grab().toImage(); }

class ControlLooksTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EnsureUiApplication()); }
};

TEST_F(ControlLooksTest, LabelKeepsMarginsColoursAndItsBackgroundPicture) {
    Label label;
    Graphics::Bitmap never;
    EXPECT_EQ(label.SetBackgroundBitmap(never), E_INVALID_STATE);
    ASSERT_EQ(label.Construct({0, 0, 200, 60}, L"Price"), E_SUCCESS);
    EXPECT_EQ(label.GetTopMargin(), Label::DEFAULT_TOP_MARGIN);
    EXPECT_EQ(label.GetLeftMargin(), Label::DEFAULT_LEFT_MARGIN);
    ASSERT_EQ(label.SetMargin(0, 0), E_SUCCESS);
    EXPECT_EQ(label.GetTopMargin(), 0);
    EXPECT_EQ(label.SetMargin(-1, 0), E_INVALID_ARG);
    ASSERT_EQ(label.SetTextColor(Graphics::Color(57, 57, 57)), E_SUCCESS);
    EXPECT_EQ(label.GetTextColor(), Graphics::Color(57, 57, 57));
    EXPECT_EQ(label.SetBackgroundBitmap(never), E_INVALID_ARG);
    EXPECT_FALSE(label.HasBackgroundBitmap());

    ASSERT_EQ(label.SetBackgroundColor(Graphics::Color(220, 218, 211)), E_SUCCESS);
    EXPECT_EQ(QColor(Picture(label).pixel(199, 1)), QColor(220, 218, 211));
    auto green = Filled(4, 4, Graphics::Color(0, 200, 0));
    ASSERT_EQ(label.SetBackgroundBitmap(*green), E_SUCCESS);
    EXPECT_TRUE(label.HasBackgroundBitmap());
    EXPECT_EQ(QColor(Picture(label).pixel(199, 59)), QColor(0, 200, 0)) << "stretched to the label's full size";
    ASSERT_EQ(label.SetFont(L"DejaVu Sans"), E_SUCCESS);
    EXPECT_EQ(label.GetFont(), Base::String(L"DejaVu Sans"));
}

TEST_F(ControlLooksTest, ButtonDrawsItsStateColoursAndPictures) {
    Button button;
    ASSERT_EQ(button.Construct({0, 0, 72, 72}, L""), E_SUCCESS);
    EXPECT_EQ(button.SetColor(static_cast<ButtonStatus>(9), Graphics::Color()), E_INVALID_ARG);
    ASSERT_EQ(button.SetColor(BUTTON_STATUS_NORMAL, Graphics::Color(255, 0, 0)), E_SUCCESS);
    EXPECT_EQ(button.GetColor(BUTTON_STATUS_NORMAL), Graphics::Color(255, 0, 0));
    EXPECT_EQ(QColor(Picture(button).pixel(36, 36)), QColor(255, 0, 0));
    ASSERT_EQ(button.SetTextSize(34), E_SUCCESS);
    EXPECT_EQ(button.GetTextSize(), 34);
    EXPECT_EQ(button.SetTextSize(0), E_INVALID_ARG);
    ASSERT_EQ(button.SetTextHorizontalAlignment(ALIGNMENT_LEFT), E_SUCCESS);
    EXPECT_EQ(button.GetTextHorizontalAlignment(), ALIGNMENT_LEFT);
    EXPECT_EQ(button.GetTextVerticalAlignment(), ALIGNMENT_MIDDLE);

    Graphics::Bitmap never;
    EXPECT_EQ(button.SetNormalBackgroundBitmap(never), E_INVALID_ARG);
    auto blue = Filled(72, 72, Graphics::Color(0, 0, 255));
    ASSERT_EQ(button.SetNormalBackgroundBitmap(*blue), E_SUCCESS);
    auto white = Filled(10, 10, Graphics::Color(255, 255, 255));
    ASSERT_EQ(button.SetNormalBitmap({5, 5}, *white), E_SUCCESS);
    QImage look = Picture(button);
    EXPECT_EQ(QColor(look.pixel(60, 60)), QColor(0, 0, 255));
    EXPECT_EQ(QColor(look.pixel(8, 8)), QColor(255, 255, 255));
}

TEST_F(ControlLooksTest, CheckButtonTurnsOverAndTellsTheMatchingActionId) {
    CheckButton invalid;
    EXPECT_EQ(invalid.Construct({0, 0, 110, 80}, static_cast<CheckButtonStyle>(99)), E_INVALID_ARG);
    CheckButton mark;
    ASSERT_EQ(mark.Construct({0, 0, 110, 80}, CHECK_BUTTON_STYLE_MARK, BACKGROUND_STYLE_NONE), E_SUCCESS);
    mark.SetActionId(10, 11, 12);
    EXPECT_EQ(mark.GetSelectedActionId(), 12);
    Recorder recorder;
    ASSERT_EQ(mark.AddActionEventListener(recorder), E_SUCCESS);
    EXPECT_EQ(mark.AddActionEventListener(recorder), E_OBJ_ALREADY_EXIST);
    auto* widget = static_cast<QAbstractButton*>(mark.GetPrivate().widget.data());
    widget->click();
    EXPECT_TRUE(mark.IsSelected());
    widget->click();
    EXPECT_FALSE(mark.IsSelected());
    ASSERT_EQ(mark.SetSelected(true), E_SUCCESS) << "set by code: nobody is told";
    EXPECT_EQ(recorder.actions, (std::vector<int>{10, 11}));
    ASSERT_EQ(mark.RemoveActionEventListener(recorder), E_SUCCESS);
    widget->click();
    EXPECT_EQ(recorder.actions.size(), 2u);

    CheckButton radio;
    ASSERT_EQ(radio.Construct({0, 0, 110, 80}, CHECK_BUTTON_STYLE_RADIO), E_SUCCESS);
    radio.SetActionId(1, 2, 3);
    Recorder radioRecorder;
    radio.AddActionEventListener(radioRecorder);
    auto* radioWidget = static_cast<QAbstractButton*>(radio.GetPrivate().widget.data());
    radioWidget->click();
    radioWidget->click();
    EXPECT_TRUE(radio.IsSelected()) << "a radio mark is not taken back by pressing it";
    EXPECT_EQ(radioRecorder.actions, (std::vector<int>{1, 3}));
}

TEST_F(ControlLooksTest, EditFieldStylesMaskLimitAndLowerTheText) {
    EditField pin;
    EXPECT_EQ(pin.Construct({0, 0, 500, 66}, EDIT_FIELD_STYLE_PASSWORD_NUMBER, static_cast<InputStyle>(7),
                            EDIT_FIELD_TITLE_STYLE_NONE, true, 255),
              E_INVALID_ARG);
    ASSERT_EQ(pin.Construct({0, 0, 500, 66}, EDIT_FIELD_STYLE_PASSWORD_NUMBER, INPUT_STYLE_OVERLAY,
                            EDIT_FIELD_TITLE_STYLE_NONE, true, 255),
              E_SUCCESS);
    EXPECT_TRUE(pin.IsPasswordMode());
    EXPECT_TRUE(pin.IsNumberMode());
    EXPECT_TRUE(pin.IsClearButtonEnabled());
    EXPECT_EQ(pin.GetInputStyle(), INPUT_STYLE_OVERLAY);
    EXPECT_EQ(pin.SetText(L"12a"), E_INVALID_ARG);
    ASSERT_EQ(pin.SetText(L"123"), E_SUCCESS);
    EXPECT_EQ(static_cast<QLineEdit*>(pin.GetPrivate().widget.data())->echoMode(), QLineEdit::Password);

    EditField small;
    ASSERT_EQ(small.Construct({0, 0, 500, 66}, EDIT_FIELD_STYLE_NUMBER_SMALL, 16), E_SUCCESS);
    EXPECT_LT(small.GetTextSize(), pin.GetTextSize());
    EXPECT_EQ(small.SetText(L"12345678901234567"), E_INVALID_ARG) << "a 17th character is refused";
    ASSERT_EQ(small.SetLimitLength(2), E_SUCCESS);
    EXPECT_EQ(small.GetLimitLength(), 2);
    EXPECT_EQ(small.SetLimitLength(0), E_INVALID_ARG);

    EditField email;
    ASSERT_EQ(email.Construct({0, 0, 500, 66}, EDIT_FIELD_STYLE_EMAIL, 100), E_SUCCESS);
    ASSERT_EQ(email.SetLowerCaseModeEnabled(true), E_SUCCESS);
    ASSERT_EQ(email.SetTextPredictionEnabled(false), E_SUCCESS);
    EXPECT_FALSE(email.IsTextPredictionEnabled());
    static_cast<QLineEdit*>(email.GetPrivate().widget.data())->insert(QStringLiteral("Anna@Example.COM"));
    EXPECT_EQ(email.GetText(), Base::String(L"anna@example.com")) << "typed letters are kept lower case";

    ASSERT_EQ(email.SetCurrentInputModeCategory(EDIT_INPUTMODE_NUMERIC), E_SUCCESS);
    EXPECT_EQ(email.GetCurrentInputModeCategory(), EDIT_INPUTMODE_NUMERIC);
    EXPECT_EQ(email.SetCurrentInputModeCategory(static_cast<EditInputModeCategory>(3)), E_INVALID_ARG);
    ASSERT_EQ(email.SetMargin(EDIT_MARGIN_TYPE_VERTICAL, 26), E_SUCCESS);
    EXPECT_EQ(email.GetMargin(EDIT_MARGIN_TYPE_VERTICAL), 26);
    EXPECT_EQ(email.SetMargin(EDIT_MARGIN_TYPE_VERTICAL, -1), E_INVALID_ARG);
    Graphics::Color normal = email.GetColor(EDIT_STATUS_NORMAL);
    ASSERT_EQ(email.SetColor(EDIT_STATUS_PRESSED, normal), E_SUCCESS);
    EXPECT_EQ(email.GetColor(EDIT_STATUS_PRESSED), normal);
    ASSERT_EQ(email.SetTextColor(EDIT_TEXT_COLOR_HIGHLIGHTED, Graphics::Color(59, 115, 182)), E_SUCCESS);
    EXPECT_EQ(email.GetTextColor(EDIT_TEXT_COLOR_HIGHLIGHTED), Graphics::Color(59, 115, 182));
    ASSERT_EQ(email.SetTitleText(L"ID"), E_SUCCESS);
    EXPECT_EQ(email.GetTitleText(), Base::String(L"ID"));
}

TEST_F(ControlLooksTest, TextBoxAppendsClearsAndTakesAFont) {
    TextBox box;
    EXPECT_EQ(box.Construct({0, 0, 150, 100}, static_cast<TextBoxBorder>(5)), E_INVALID_ARG);
    ASSERT_EQ(box.Construct({0, 0, 150, 100}, TEXT_BOX_BORDER_NONE), E_SUCCESS);
    ASSERT_EQ(box.SetText(L"Terms"), E_SUCCESS);
    ASSERT_EQ(box.AppendText(L"\n\nMore"), E_SUCCESS);
    EXPECT_EQ(box.GetText(), Base::String(L"Terms\n\nMore"));
    ASSERT_EQ(box.Clear(), E_SUCCESS);
    EXPECT_EQ(box.GetTextLength(), 0);
    Graphics::Font never;
    EXPECT_EQ(box.SetFont(never), E_INVALID_ARG);
    Graphics::Font font;
    ASSERT_EQ(font.Construct(Graphics::FONT_STYLE_PLAIN, 35), E_SUCCESS);
    ASSERT_EQ(box.SetFont(font), E_SUCCESS);
    EXPECT_EQ(box.GetTextSize(), 35);
}

TEST_F(ControlLooksTest, PanelsLayTheirControlsOutAndScrollPanelsGrow) {
    GridLayout grid;
    ASSERT_EQ(grid.Construct(2, 1), E_SUCCESS);
    grid.SetColumnStretchable(0, true);
    Panel panel;
    ASSERT_EQ(panel.Construct(grid, {0, 0, 600, 400}, GROUP_STYLE_SINGLE), E_SUCCESS);
    EXPECT_EQ(panel.GetGroupStyle(), GROUP_STYLE_SINGLE);
    Panel other;
    EXPECT_EQ(other.Construct(grid, {0, 0, 10, 10}), E_INVALID_STATE) << "the layout is taken";
    auto* label = new Label();
    label->Construct({0, 0, 100, 50}, L"row 0");
    ASSERT_EQ(panel.AddControl(label), E_SUCCESS);
    ASSERT_EQ(grid.SetPosition(*label, 1, 0), E_SUCCESS);
    EXPECT_EQ(label->GetBounds(), (Graphics::Rectangle{0, 0, 600, 50})) << "empty row 0 takes no room";
    ASSERT_EQ(panel.SetBackgroundColor(Graphics::Color(220, 218, 211)), E_SUCCESS);
    EXPECT_EQ(QColor(Picture(panel).pixel(300, 300)), QColor(220, 218, 211));

    ScrollPanel scroll;
    ASSERT_EQ(scroll.Construct({0, 0, 300, 200}), E_SUCCESS);
    auto* tall = new Label();
    tall->Construct({0, 700, 100, 100}, L"far down");
    ASSERT_EQ(scroll.AddControl(tall), E_SUCCESS);
    scroll.Show();
    App::EventLoop::ProcessEvents();
    ASSERT_EQ(scroll.SetScrollPosition(500), E_SUCCESS);
    EXPECT_GT(scroll.GetScrollPosition(), 0) << "the content grew to its lowest control";
}

TEST_F(ControlLooksTest, AnimationTakesItsFramesAndStopsAfterItsRepeats) {
    Animation none;
    ArrayList empty;
    EXPECT_EQ(none.Construct({0, 0, 50, 50}, empty), E_INVALID_ARG);
    ArrayList wrong(ElementOwnership::Owned);
    wrong.Add(new Base::String(L"not a frame"));
    EXPECT_EQ(none.Construct({0, 0, 50, 50}, wrong), E_INVALID_ARG);

    auto red = Filled(5, 5, Graphics::Color(255, 0, 0));
    ArrayList frames;  // not owning: the animation deletes the frames
    for (int i = 0; i < 30; ++i) {
        frames.Add(i % 2 ? new AnimationFrame(*red, 1) : new AnimationFrame());  // blank frames too
    }
    Animation animation;
    ASSERT_EQ(animation.Construct({275, 80, 50, 50}, frames), E_SUCCESS);
    EXPECT_EQ(frames.GetCount(), 0);
    EXPECT_EQ(animation.GetFrameCount(), 30);
    EXPECT_EQ(animation.GetFrameAt(0)->GetFrame(), nullptr);
    ASSERT_NE(animation.GetFrameAt(1)->GetFrame(), nullptr);
    EXPECT_EQ(animation.GetFrameAt(1)->GetDuration(), 1);
    EXPECT_EQ(animation.SetRepeatCount(0), E_INVALID_ARG);
    ASSERT_EQ(animation.SetRepeatCount(2), E_SUCCESS);
    ASSERT_EQ(animation.Play(), E_SUCCESS);
    EXPECT_EQ(animation.GetStatus(), ANIMATION_PLAYING);
    ASSERT_TRUE(App::EventLoop::RunUntil([&] { return animation.GetStatus() == ANIMATION_STOPPED; }, 10000));
    EXPECT_EQ(animation.GetCurrentFrameIndex(), 0);
    ASSERT_EQ(animation.Play(), E_SUCCESS);
    ASSERT_EQ(animation.Stop(), E_SUCCESS);
    EXPECT_EQ(animation.GetStatus(), ANIMATION_STOPPED);
}

}  // namespace

// Rows of table and list views are button-like widgets: a label inside one
// still draws in its own text colour, not the row's button text colour.
TEST_F(ControlLooksTest, ALabelInsideATableRowKeepsItsTextColour) {
    TableViewItem row;
    ASSERT_EQ(row.Construct(Graphics::Dimension{200, 80}), E_SUCCESS);
    auto* label = new Label();
    ASSERT_EQ(label->Construct({0, 0, 200, 80}, L"\u2588\u2588\u2588"), E_SUCCESS);
    ASSERT_EQ(label->SetTextConfig(60, LABEL_TEXT_STYLE_NORMAL), E_SUCCESS);
    ASSERT_EQ(label->SetMargin(0, 0), E_SUCCESS);
    ASSERT_EQ(label->SetTextColor(Graphics::Color(200, 0, 0)), E_SUCCESS);
    ASSERT_EQ(row.AddControl(label), E_SUCCESS);
    const QImage picture = Picture(row);
    EXPECT_EQ(QColor(picture.pixel(20, 40)), QColor(200, 0, 0));
}
