#include "platform/ui/GridLayout.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>

#include "platform/ui/ControlPrivate.h"
#include "platform/ui/Form.h"
#include "platform/ui/Frame.h"
#include "platform/ui/Label.h"
#include "platform/ui/UiEnvironment.h"

using namespace Vx;
using namespace Vx::Ui;
using namespace Vx::Ui::Controls;
using Vx::Graphics::Rectangle;

namespace {

class GridLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureUiApplication());
        ASSERT_EQ(grid_.Construct(3, 2), E_SUCCESS);
        form_ = std::make_unique<Form>();
        ASSERT_EQ(form_->Construct(grid_, FORM_STYLE_HEADER | FORM_STYLE_FOOTER), E_SUCCESS);
    }
    Label* Add(int width, int height) {
        auto* label = new Label();
        EXPECT_EQ(label->Construct({0, 0, width, height}, L"x"), E_SUCCESS);
        EXPECT_EQ(form_->AddControl(label), E_SUCCESS);
        return label;
    }

    GridLayout grid_;  // outlives the form that uses it
    std::unique_ptr<Form> form_;
};

TEST_F(GridLayoutTest, ColumnsAndRowsTakeTheirWidestAndHighestControl) {
    Label* a = Add(110, 40);
    Label* b = Add(48, 60);
    Label* c = Add(200, 42);
    ASSERT_EQ(grid_.SetColumnSpacing(0, 20), E_SUCCESS);
    ASSERT_EQ(grid_.SetRowSpacing(0, 20), E_SUCCESS);
    ASSERT_EQ(grid_.SetRowSpacing(1, 20), E_SUCCESS);
    ASSERT_EQ(grid_.SetPosition(*a, 0, 0), E_SUCCESS);
    ASSERT_EQ(grid_.SetPosition(*b, 0, 1), E_SUCCESS);
    ASSERT_EQ(grid_.SetPosition(*c, 1, 0), E_SUCCESS);
    EXPECT_EQ(a->GetBounds(), (Rectangle{0, 0, 110, 40}));
    EXPECT_EQ(b->GetBounds(), (Rectangle{220, 0, 48, 60}));  // column 0 is as wide as c
    EXPECT_EQ(c->GetBounds(), (Rectangle{0, 80, 200, 42}));
}

TEST_F(GridLayoutTest, StretchableColumnsTakeTheRestAndTheirControlsFillThem) {
    Label* a = Add(110, 40);
    Label* b = Add(48, 40);
    Label* wide = Add(10, 30);
    grid_.SetColumnSpacing(0, 20);
    ASSERT_EQ(grid_.SetColumnStretchable(1, true), E_SUCCESS);
    grid_.SetPosition(*a, 0, 0);
    grid_.SetPosition(*b, 0, 1);
    grid_.SetPosition(*wide, 2, 0, 1, 2);
    int width = form_->GetClientAreaBounds().width;
    EXPECT_EQ(b->GetBounds(), (Rectangle{130, 0, width - 130, 40}));
    EXPECT_EQ(wide->GetBounds().width, width);  // spans both columns, one of them stretchable
    EXPECT_EQ(a->GetBounds().width, 110);

    // A narrower form: the stretchable column follows; the fixed one stays.
    // (A hidden widget hears of its new size only once shown.)
    form_->Show();
    form_->SetSize(500, 1000);
    EXPECT_EQ(b->GetBounds(), (Rectangle{130, 0, 500 - 130, 40}));
    // A control that sizes itself anew is measured again.
    a->SetSize(150, 40);
    ASSERT_EQ(grid_.Update(), E_SUCCESS);
    EXPECT_EQ(b->GetBounds().x, 170);
}

TEST_F(GridLayoutTest, ShrinkableColumnsGiveUpRoomWhenControlsDoNotFit) {
    Label* a = Add(600, 40);
    Label* b = Add(300, 40);
    ASSERT_EQ(grid_.SetColumnShrinkable(0, true), E_SUCCESS);
    grid_.SetPosition(*a, 0, 0);
    grid_.SetPosition(*b, 0, 1);
    EXPECT_EQ(a->GetBounds().width, form_->GetClientAreaBounds().width - 300);
    EXPECT_EQ(b->GetBounds().x, a->GetBounds().width);
}

TEST_F(GridLayoutTest, CellsAndControlsAreChecked) {
    Label* a = Add(10, 10);
    EXPECT_EQ(grid_.SetPosition(*a, 3, 0), E_OUT_OF_RANGE);
    EXPECT_EQ(grid_.SetPosition(*a, 0, 1, 1, 2), E_OUT_OF_RANGE);
    EXPECT_EQ(grid_.SetPosition(*a, -1, 0), E_OUT_OF_RANGE);
    EXPECT_EQ(grid_.SetPosition(*a, 0, 0, 0, 1), E_OUT_OF_RANGE);
    EXPECT_EQ(grid_.SetColumnStretchable(2, true), E_OUT_OF_RANGE);
    EXPECT_EQ(grid_.SetRowSpacing(0, -1), E_INVALID_ARG);
    Label loose;
    ASSERT_EQ(loose.Construct({0, 0, 5, 5}, L"x"), E_SUCCESS);
    EXPECT_EQ(grid_.SetPosition(loose, 0, 0), E_INVALID_ARG);  // not in the form
    EXPECT_EQ(grid_.Construct(1, 1), E_INVALID_STATE);

    GridLayout unbuilt;
    EXPECT_EQ(unbuilt.Construct(0, 1), E_INVALID_ARG);
    EXPECT_EQ(unbuilt.Update(), E_INVALID_STATE);
    Form other;
    EXPECT_EQ(other.Construct(grid_, FORM_STYLE_NORMAL), E_INVALID_STATE);  // the grid already has a form

    // A control removed from the form drops out of the grid.
    ASSERT_EQ(grid_.SetPosition(*a, 0, 0), E_SUCCESS);
    Label* b = Add(20, 20);
    grid_.SetPosition(*b, 0, 1);
    ASSERT_EQ(form_->RemoveControl(a), E_SUCCESS);
    ASSERT_EQ(grid_.Update(), E_SUCCESS);
    EXPECT_EQ(b->GetBounds().x, 0);
}

TEST_F(GridLayoutTest, TheBackKeyAsksTheFormsBackListener) {
    struct Back : IFormBackEventListener {
        void OnFormBackRequested(Form& source) override { from = &source; }
        Form* from = nullptr;
    } back;
    form_->SetFormBackEventListener(&back);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(form_->GetPrivate().widget, &press);
    EXPECT_EQ(back.from, form_.get());
}

}  // namespace
