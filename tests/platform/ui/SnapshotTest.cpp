// Reference pictures of the platform's popup, message box and menu, drawn
// offscreen at a fixed size in DejaVu Sans. A mismatch writes the actual
// picture and a difference picture into the build tree's test-pictures folder.
// IAP_UPDATE_PICTURES=1 rewrites the references instead.
#include "platform/ui/Snapshot.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QImage>
#include <QTimer>
#include <filesystem>
#include <string>

#include "platform/ui/Button.h"
#include "platform/ui/ContextMenu.h"
#include "platform/ui/ControlPrivate.h"
#include "platform/ui/Label.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Popup.h"
#include "platform/ui/UiEnvironment.h"

using namespace Vx;
using namespace Vx::Ui;
using namespace Vx::Ui::Controls;
namespace fs = std::filesystem;

namespace {

const fs::path kReferences = fs::path(IAP_SOURCE_DIR) / "tests/platform/ui/pictures";

class SnapshotTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureUiApplication());
        out_ = fs::read_symlink("/proc/self/exe").parent_path() / "test-pictures";
        fs::create_directories(out_);
    }
    // Saves the control's picture and compares it with its reference.
    void Check(const Control& control, const std::string& name) {
        std::string actual = (out_ / (name + ".png")).string();
        ASSERT_EQ(Snapshot::SaveControl(control, actual), E_SUCCESS);
        fs::path reference = kReferences / (name + ".png");
        const char* update = getenv("IAP_UPDATE_PICTURES");
        if (update && std::string(update) == "1") {
            fs::create_directories(kReferences);
            fs::copy_file(actual, reference, fs::copy_options::overwrite_existing);
            return;
        }
        Snapshot::Comparison comparison;
        std::string diff = (out_ / (name + "-diff.png")).string();
        EXPECT_EQ(Snapshot::Compare(actual, reference.string(), 16, 0.002, diff, comparison), E_SUCCESS)
            << name << ": " << comparison.report << "; see " << actual << " and " << diff;
    }
    fs::path out_;
};

TEST_F(SnapshotTest, ComparisonToleratesSmallChangesAndReportsLargeOnes) {
    QImage a(100, 100, QImage::Format_ARGB32);
    a.fill(qRgb(200, 200, 200));
    QImage b = a;
    b.setPixel(5, 5, qRgb(0, 0, 0));
    QImage c = a;
    for (int x = 0; x < 100; ++x)
        c.setPixel(x, 50, qRgb(0, 0, 0));
    std::string pa = (out_ / "cmp-a.png").string(), pb = (out_ / "cmp-b.png").string(),
                pc = (out_ / "cmp-c.png").string(), diff = (out_ / "cmp-diff.png").string();
    a.save(QString::fromStdString(pa));
    b.save(QString::fromStdString(pb));
    c.save(QString::fromStdString(pc));
    Snapshot::Comparison comparison;
    EXPECT_EQ(Snapshot::Compare(pb, pa, 16, 0.002, "", comparison), E_SUCCESS);
    EXPECT_EQ(comparison.differentPixels, 1);
    fs::remove(diff);
    EXPECT_EQ(Snapshot::Compare(pc, pa, 16, 0.002, diff, comparison), E_FAILURE);
    EXPECT_EQ(comparison.differentPixels, 100);
    EXPECT_TRUE(fs::exists(diff));
    EXPECT_EQ(Snapshot::Compare(pa, (out_ / "missing.png").string(), 16, 0, "", comparison), E_OBJ_NOT_FOUND);
}

TEST_F(SnapshotTest, PopupWithTitleAndButtons) {
    Popup popup;
    ASSERT_EQ(popup.Construct(true, {600, 330}), E_SUCCESS);
    popup.SetTitleText(L"Confirm password");
    auto* label = new Label();
    label->Construct({45, 10, 520, 50}, L"Password");
    popup.AddControl(label);
    auto* ok = new Button();
    ok->Construct({24, 100, 255, 74}, L"OK");
    popup.AddControl(ok);
    auto* cancel = new Button();
    cancel->Construct({324, 100, 255, 74}, L"Cancel");
    popup.AddControl(cancel);
    Check(popup, "popup-title-buttons");
}

TEST_F(SnapshotTest, MessageBoxWithText) {
    MessageBox box;
    ASSERT_EQ(box.Construct(L"Error", L"The purchase request could not be sent.", MSGBOX_STYLE_OK, 0), E_SUCCESS);
    Check(box, "messagebox-ok");
}

TEST_F(SnapshotTest, ContextMenuWithItems) {
    ContextMenu menu;
    ASSERT_EQ(menu.Construct({90, 300}), E_SUCCESS);
    menu.AddItem(L"SKT", 1101);
    menu.AddItem(L"KT", 1102);
    menu.AddItem(L"LG U+", 1103);
    menu.GetPrivate().widget->resize(menu.GetMenuBounds().width, menu.GetMenuBounds().height);
    Check(menu, "contextmenu-list");
}

}  // namespace
