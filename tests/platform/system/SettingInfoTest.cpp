#include "platform/system/SettingInfo.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "platform/system/DeviceProfile.h"

using namespace Vx;
using Vx::System::DeviceProfile;
using Vx::System::SettingInfo;

namespace {

class SettingInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/setting-info-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        home_ = pattern;
        setenv("IAP_PLATFORM_HOME", home_.c_str(), 1);
    }
    void TearDown() override { std::filesystem::remove_all(home_); }
    void Write(const wchar_t* key, const wchar_t* value) {
        DeviceProfile profile;
        profile.Load();
        ASSERT_EQ(profile.Set(key, value), E_SUCCESS);
        ASSERT_EQ(profile.Save(), E_SUCCESS);
    }
    std::string home_;
};

TEST_F(SettingInfoTest, DeviceWithoutProfileHasMediumDejaVuText) {
    int size = 0;
    ASSERT_EQ(SettingInfo::GetValue(L"font.size", size), E_SUCCESS);
    EXPECT_EQ(size, 35);
    Base::String text;
    ASSERT_EQ(SettingInfo::GetValue(L"FontSize", text), E_SUCCESS);
    EXPECT_EQ(text, Base::String(L"medium"));
    ASSERT_EQ(SettingInfo::GetValue(L"font.type", text), E_SUCCESS);
    EXPECT_EQ(text, Base::String(L"DejaVu Sans"));
    ASSERT_EQ(SettingInfo::GetValue(L"FontType", text), E_SUCCESS);
    EXPECT_EQ(text, Base::String(L"DejaVu Sans"));
    EXPECT_EQ(SettingInfo::GetValue(L"unknown.key", text), E_OBJ_NOT_FOUND);
    EXPECT_EQ(SettingInfo::GetValue(L"", text), E_INVALID_ARG);
}

TEST_F(SettingInfoTest, ProfileEntriesReplaceTheDefaults) {
    Write(L"font.size", L"28");
    Write(L"setting.FontSize", L"Large");
    Write(L"font.type", L"DejaVu Sans Mono");
    int size = 0;
    ASSERT_EQ(SettingInfo::GetValue(L"font.size", size), E_SUCCESS);
    EXPECT_EQ(size, 28);
    Base::String text;
    ASSERT_EQ(SettingInfo::GetValue(L"FontSize", text), E_SUCCESS);
    EXPECT_EQ(text, Base::String(L"Large"));
    ASSERT_EQ(SettingInfo::GetValue(L"font.type", text), E_SUCCESS);
    EXPECT_EQ(text, Base::String(L"DejaVu Sans Mono"));
}

TEST_F(SettingInfoTest, EmptyEntryMeansNoSuchSettingAndBadNumbersAreRefused) {
    Write(L"font.size", L"");
    int size = 7;
    EXPECT_EQ(SettingInfo::GetValue(L"font.size", size), E_OBJ_NOT_FOUND);
    EXPECT_EQ(size, 7);
    for (const wchar_t* bad : {L"big", L"12px", L"-", L"99999999999"}) {
        Write(L"font.size", bad);
        EXPECT_EQ(SettingInfo::GetValue(L"font.size", size), E_NUM_FORMAT) << Base::String(bad).ToStdWString().size();
        EXPECT_EQ(size, 7);
    }
    Write(L"font.size", L"-3");
    ASSERT_EQ(SettingInfo::GetValue(L"font.size", size), E_SUCCESS);
    EXPECT_EQ(size, -3);
}

}  // namespace
