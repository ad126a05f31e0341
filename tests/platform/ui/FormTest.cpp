#include <gtest/gtest.h>

#include <memory>

#include "platform/ui/Footer.h"
#include "platform/ui/Form.h"
#include "platform/ui/Frame.h"
#include "platform/ui/Header.h"
#include "platform/ui/UiEnvironment.h"

using namespace Vx;
using namespace Vx::Ui::Controls;
using Vx::Graphics::Color;
using Vx::Graphics::Rectangle;

namespace {

class FormTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Ui::EnsureUiApplication()); }
};

constexpr int kAllBars = FORM_STYLE_INDICATOR | FORM_STYLE_HEADER | FORM_STYLE_FOOTER;

TEST_F(FormTest, StylesAreFlagsThatShapeTheClientArea) {
    Form plain;
    ASSERT_EQ(plain.Construct(), E_SUCCESS);
    EXPECT_EQ(plain.GetHeader(), nullptr);
    EXPECT_EQ(plain.GetFooter(), nullptr);
    EXPECT_EQ(plain.GetClientAreaBounds(), (Rectangle{0, 0, Frame::SCREEN_WIDTH, Frame::SCREEN_HEIGHT}));

    Form full;
    ASSERT_EQ(full.Construct(kAllBars), E_SUCCESS);
    ASSERT_NE(full.GetHeader(), nullptr);
    ASSERT_NE(full.GetFooter(), nullptr);
    int top = Form::INDICATOR_HEIGHT + Form::HEADER_HEIGHT;
    EXPECT_EQ(full.GetClientAreaBounds(),
              (Rectangle{0, top, Frame::SCREEN_WIDTH, Frame::SCREEN_HEIGHT - top - Form::FOOTER_HEIGHT}));
    EXPECT_EQ(full.GetFooter()->GetBounds().y, Frame::SCREEN_HEIGHT - Form::FOOTER_HEIGHT);
    EXPECT_EQ(full.GetHeader()->GetName(), Base::String(L"header"));
    EXPECT_EQ(full.Construct(kAllBars), E_INVALID_STATE);

    Form footerOnly;
    ASSERT_EQ(footerOnly.Construct(FORM_STYLE_FOOTER), E_SUCCESS);
    EXPECT_EQ(footerOnly.GetHeader(), nullptr);
    EXPECT_EQ(footerOnly.GetClientAreaBounds().height, Frame::SCREEN_HEIGHT - Form::FOOTER_HEIGHT);

    Form bad;
    EXPECT_EQ(bad.Construct(0x40), E_INVALID_ARG);
    EXPECT_EQ(bad.Construct(FORM_STYLE_TITLE | FORM_STYLE_HEADER), E_INVALID_ARG);
    EXPECT_FALSE(bad.IsConstructed());
    EXPECT_EQ(bad.SetBackgroundColor(Color(1, 2, 3)), E_INVALID_STATE);
}

TEST_F(FormTest, TheHeaderCarriesTheTitleAndColours) {
    Form form;
    ASSERT_EQ(form.Construct(kAllBars), E_SUCCESS);
    Header* header = form.GetHeader();
    ASSERT_EQ(form.SetTitleText(L"PAYMENT"), E_SUCCESS);
    EXPECT_EQ(header->GetTitleText(), Base::String(L"PAYMENT"));
    EXPECT_EQ(form.GetTitleText(), Base::String(L"PAYMENT"));
    ASSERT_EQ(header->SetTitleText(L"HELP"), E_SUCCESS);
    EXPECT_EQ(form.GetText(), Base::String(L"HELP"));
    ASSERT_EQ(header->SetColor(Color(0xFF102030u)), E_SUCCESS);
    EXPECT_EQ(header->GetColor(), Color(0x10, 0x20, 0x30));
    ASSERT_EQ(form.SetBackgroundColor(Color(220, 218, 211)), E_SUCCESS);
    EXPECT_EQ(form.GetBackgroundColor(), Color(220, 218, 211));
    EXPECT_EQ(form.GetOrientationStatus(), ORIENTATION_STATUS_PORTRAIT);

    Header loose;
    EXPECT_EQ(loose.SetTitleText(L"x"), E_INVALID_STATE);
    EXPECT_EQ(loose.GetTitleText(), Base::String());
}

TEST_F(FormTest, ColorsConvertBetweenChannelsAndArgb) {
    Color c(0x80112233u);
    EXPECT_EQ(c.GetAlpha(), 0x80);
    EXPECT_EQ(c.GetRed(), 0x11);
    EXPECT_EQ(c.GetGreen(), 0x22);
    EXPECT_EQ(c.GetBlue(), 0x33);
    EXPECT_EQ(c.GetRGB32(), 0x80112233u);
    EXPECT_EQ(Color(), Color(0, 0, 0, 255));
    EXPECT_FALSE(Color(1, 2, 3) == Color(1, 2, 3, 4));
}

TEST_F(FormTest, FooterItemsAreCheckedCountedAndCleared) {
    Form form;
    ASSERT_EQ(form.Construct(FORM_STYLE_FOOTER), E_SUCCESS);
    Footer* footer = form.GetFooter();

    FooterItem unbuilt;
    EXPECT_EQ(footer->AddItem(unbuilt), E_INVALID_ARG);
    FooterItem negative;
    EXPECT_EQ(negative.Construct(-1), E_INVALID_ARG);
    FooterItem item;
    ASSERT_EQ(item.Construct(1), E_SUCCESS);
    EXPECT_EQ(item.Construct(2), E_INVALID_STATE);
    item.SetText(L"Purchase");
    for (int i = 0; i < Footer::MAX_ITEM_COUNT; ++i)
        ASSERT_EQ(footer->AddItem(item), E_SUCCESS);
    EXPECT_EQ(footer->AddItem(item), E_OUT_OF_RANGE);
    EXPECT_EQ(footer->GetItemCount(), Footer::MAX_ITEM_COUNT);
    EXPECT_EQ(footer->GetItemText(0), Base::String(L"Purchase"));
    EXPECT_EQ(footer->GetItemActionId(3), 1);

    EXPECT_TRUE(footer->IsItemEnabled(0));
    ASSERT_EQ(footer->SetItemEnabled(0, false), E_SUCCESS);
    EXPECT_FALSE(footer->IsItemEnabled(0));
    EXPECT_TRUE(footer->IsItemEnabled(1));
    // The item's own state, not hidden by the form's.
    form.SetEnabled(false);
    EXPECT_TRUE(footer->IsItemEnabled(1));
    form.SetEnabled(true);
    EXPECT_EQ(footer->SetItemEnabled(4, true), E_OUT_OF_RANGE);
    EXPECT_EQ(footer->SetItemEnabled(-1, true), E_OUT_OF_RANGE);
    EXPECT_FALSE(footer->IsItemEnabled(-1));
    EXPECT_EQ(footer->GetItemText(9), Base::String());
    EXPECT_EQ(footer->GetItemActionId(9), -1);
    ASSERT_EQ(footer->SetItemText(1, L"Cancel"), E_SUCCESS);
    EXPECT_EQ(footer->GetItemText(1), Base::String(L"Cancel"));

    ASSERT_EQ(footer->RemoveAllItems(), E_SUCCESS);
    EXPECT_EQ(footer->GetItemCount(), 0);
    EXPECT_FALSE(footer->IsBackButtonSet());
    ASSERT_EQ(footer->SetBackButton(), E_SUCCESS);
    ASSERT_EQ(footer->SetBackButton(), E_SUCCESS);
    EXPECT_TRUE(footer->IsBackButtonSet());
}

}  // namespace
