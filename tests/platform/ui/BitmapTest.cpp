#include <gtest/gtest.h>
#include <stdlib.h>

#include <QImage>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/app/AppContextPrivate.h"
#include "platform/app/AppResource.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/UiEnvironment.h"

using namespace Vx;
using Vx::Graphics::Bitmap;
namespace fs = std::filesystem;

namespace {

// An application whose manifest points at a resource folder of the test's own.
class BitmapTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Ui::EnsureUiApplication());
        char pattern[] = "/tmp/bitmap-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        home_ = pattern;
        res_ = home_ + "/res";
        fs::create_directories(home_ + "/apps");
        fs::create_directories(res_ + "/WaitAnimation");
        std::ofstream(home_ + "/apps/com.vexmora.test.pictures.manifest")
            << "appId=com.vexmora.test.pictures\npackageId=com.vexmora.test\nversion=1.0.0\n"
            << "executable=/bin/true\nresources=" << res_ << "\n";
        setenv("IAP_PLATFORM_HOME", home_.c_str(), 1);
        setenv(App::kAppIdEnv, "com.vexmora.test.pictures", 1);
        App::AppContext::Reset();
        ASSERT_EQ(App::AppContext::GetCurrent().resourceDir, res_);
        WritePng(res_ + "/R09_app_icon_smart.png", 86, 86);
        WritePng(res_ + "/WaitAnimation/winset_list_process_01.png", 50, 50);
        std::ofstream(res_ + "/not_a_picture.png") << "plain text, not a PNG";
        WritePng(home_ + "/outside.png", 3, 3);
    }
    void TearDown() override {
        App::AppContext::Reset();
        std::error_code ignored;
        fs::remove_all(home_, ignored);
    }
    static void WritePng(const std::string& path, int width, int height) {
        QImage image(width, height, QImage::Format_ARGB32);
        image.fill(QColor(10, 20, 30));
        ASSERT_TRUE(image.save(QString::fromStdString(path), "PNG"));
    }
    static std::unique_ptr<Bitmap> Lookup(const wchar_t* name) {
        return std::unique_ptr<Bitmap>(App::AppResource::GetInstance()->GetBitmapN(name));
    }

    std::string home_;
    std::string res_;
};

TEST_F(BitmapTest, APngFileIsDecodedOnceWithItsSize) {
    Bitmap bitmap;
    EXPECT_EQ(bitmap.GetWidth(), 0);
    ASSERT_EQ(bitmap.Construct(Base::String::FromUtf8(res_ + "/R09_app_icon_smart.png")), E_SUCCESS);
    EXPECT_EQ(bitmap.GetWidth(), 86);
    EXPECT_EQ(bitmap.GetHeight(), 86);
    EXPECT_EQ(bitmap.Construct(Base::String::FromUtf8(res_ + "/R09_app_icon_smart.png")), E_INVALID_STATE);

    Bitmap missing;
    EXPECT_EQ(missing.Construct(Base::String::FromUtf8(res_ + "/nothing.png")), E_OBJ_NOT_FOUND);
    Bitmap folder;
    EXPECT_EQ(folder.Construct(Base::String::FromUtf8(res_)), E_OBJ_NOT_FOUND);
    Bitmap text;
    EXPECT_EQ(text.Construct(Base::String::FromUtf8(res_ + "/not_a_picture.png")), E_INVALID_FORMAT);
    EXPECT_EQ(text.GetHeight(), 0);
}

TEST_F(BitmapTest, ResourcePicturesAreFoundInTheFolderAndItsSubfolders) {
    std::unique_ptr<Bitmap> icon = Lookup(L"R09_app_icon_smart.png");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->GetWidth(), 86);
    std::unique_ptr<Bitmap> frame = Lookup(L"WaitAnimation/winset_list_process_01.png");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetHeight(), 50);
    EXPECT_EQ(Lookup(L"WaitAnimation/winset_list_process_02.png"), nullptr);
    EXPECT_EQ(Lookup(L"not_a_picture.png"), nullptr);
    EXPECT_EQ(Lookup(L"WaitAnimation"), nullptr);
}

TEST_F(BitmapTest, NamesThatCouldLeaveTheFolderAreRefused) {
    for (const wchar_t* name :
         {L"", L"../outside.png", L"WaitAnimation/../../outside.png", L"/etc/passwd",
          L"WaitAnimation\\winset_list_process_01.png", L"./R09_app_icon_smart.png",
          L"WaitAnimation//winset_list_process_01.png", L"R09_app_icon_smart.png\n", L"WaitAnimation/"}) {
        EXPECT_EQ(Lookup(name), nullptr) << Base::String(name).ToUtf8();
    }
    // A link inside the folder that leads out of it is no way out either.
    fs::create_symlink(home_ + "/outside.png", res_ + "/link.png");
    fs::create_directory_symlink(home_, res_ + "/up");
    EXPECT_EQ(Lookup(L"link.png"), nullptr);
    EXPECT_EQ(Lookup(L"up/outside.png"), nullptr);
    // A link that stays inside is fine.
    fs::create_symlink(res_ + "/R09_app_icon_smart.png", res_ + "/alias.png");
    EXPECT_NE(Lookup(L"alias.png"), nullptr);
}

}  // namespace
