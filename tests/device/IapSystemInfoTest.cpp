#include "lib/device/IapSystemInfo.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "lib/device/IapLibBogusSystemInfo.h"
#include "platform/system/DeviceProfile.h"

using Vx::Base::String;
using Vx::System::DeviceProfile;

namespace {

// Each case gets its own device: a fresh platform home and a forgotten identity.
class IapSystemInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "iap-identity-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        home_ = pattern;
        ::setenv("IAP_PLATFORM_HOME", home_.c_str(), 1);
        IapSystemInfo::GetInstance().ResetForTesting();
    }
    void TearDown() override {
        IapSystemInfo::GetInstance().ResetForTesting();
        ::unsetenv("IAP_PLATFORM_HOME");
        std::error_code ignored;
        std::filesystem::remove_all(home_, ignored);
    }

    // "section.key=value" settings written to the device profile.
    void Device(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> settings) {
        DeviceProfile profile;
        profile.Load();
        for (const auto& [key, value] : settings)
            ASSERT_EQ(profile.Set(key, value), Vx::E_SUCCESS);
        ASSERT_EQ(profile.Save(), Vx::E_SUCCESS);
    }
    static IapSystemInfo& Fresh() {
        IapSystemInfo::GetInstance().ResetForTesting();
        return IapSystemInfo::GetInstance();
    }
    static void Apply(const wchar_t* imei, const wchar_t* mcc, const wchar_t* mnc, const wchar_t* model,
                      const wchar_t* phone) {
        IapLibBogusSystemInfo bogus;
        bogus.imei = imei;
        bogus.mcc = mcc;
        bogus.mnc = mnc;
        bogus.deviceModel = model;
        bogus.phoneNumber = phone;
        bogus.Set();
    }

    std::string home_;
};

TEST_F(IapSystemInfoTest, ReadsTheWholeIdentityFromTheDevice) {
    Device({{L"sim.mcc", L"450"},
            {L"sim.mnc", L"5"},
            {L"sim.phone_number", L"+821099998888"},
            {L"system.duid", L"IMEI-12345"},
            {L"system.model_name", L"VX-100"},
            {L"wifi.mac", L"00:11:22:AA:BB:CC"}});
    IapSystemInfo& info = Fresh();
    EXPECT_EQ(info.mcc, L"450");
    EXPECT_EQ(info.mnc, L"05");
    EXPECT_EQ(info.phoneNumber, L"+821099998888");
    EXPECT_EQ(info.deviceId, L"IMEI-12345");
    EXPECT_EQ(info.deviceModel, L"VX-100");
    EXPECT_EQ(info.language, L"EN");
    EXPECT_EQ(info.protocolVersion, L"1.0");
    EXPECT_EQ(info.mode, L"0");
    EXPECT_EQ(info.GetNetworkType(), L"0");
}

TEST_F(IapSystemInfoTest, WithoutSimTheCodesAndNumberFallBack) {
    Device({{L"system.duid", L"D"}});
    IapSystemInfo& info = Fresh();
    EXPECT_EQ(info.mcc, L"");
    EXPECT_EQ(info.mnc, L"00");
    EXPECT_EQ(info.phoneNumber, L"+000000000000");
    EXPECT_EQ(info.deviceModel, L"");

    // Without SIM, values keep what an earlier reading gave them.
    Apply(L"", L"310", L"260", L"", L"");
    Apply(L"", L"", L"", L"", L"");
    EXPECT_EQ(info.mcc, L"310");
    EXPECT_EQ(info.mnc, L"260");
}

TEST_F(IapSystemInfoTest, NetworkCodesAreTwoDigitsAtLeast) {
    struct Row {
        const wchar_t* simMnc;
        const wchar_t* expected;
    };
    for (Row row : {Row{L"3", L"03"}, Row{L"0", L"00"}, Row{L"9", L"09"}, Row{L"10", L"10"}, Row{L"45", L"45"},
                    Row{L"005", L"05"}, Row{L"260", L"260"}}) {
        Device({{L"sim.mcc", L"1"}, {L"sim.mnc", row.simMnc}});
        IapSystemInfo& info = Fresh();
        EXPECT_EQ(info.mnc, row.expected) << String(row.simMnc).ToUtf8();
        EXPECT_EQ(info.mcc, L"1");
        // A second reading with no override gives the same code.
        Apply(L"", L"", L"", L"", L"");
        EXPECT_EQ(info.mnc, row.expected) << String(row.simMnc).ToUtf8();
    }
}

TEST_F(IapSystemInfoTest, UnreadableSimCodesLeaveTheDefaults) {
    Device({{L"sim.mcc", L"99999999999999999999"}, {L"sim.mnc", L"4294967301"}});
    IapSystemInfo& info = Fresh();
    EXPECT_EQ(info.mcc, L"");
    EXPECT_EQ(info.mnc, L"00");
    EXPECT_EQ(info.phoneNumber, L"+000000000000");
}

TEST_F(IapSystemInfoTest, OverridesReplaceDeviceValues) {
    Device({{L"sim.mcc", L"450"},
            {L"sim.mnc", L"8"},
            {L"sim.phone_number", L"+8210"},
            {L"system.duid", L"REAL"},
            {L"system.model_name", L"VX-100"}});
    IapSystemInfo& info = Fresh();
    Apply(L"BOGUS-IMEI", L"262", L"1", L"VX-TEST", L"+4917");
    EXPECT_EQ(info.deviceId, L"BOGUS-IMEI");
    EXPECT_EQ(info.mcc, L"262");
    EXPECT_EQ(info.mnc, L"1");  // an override is taken as written
    EXPECT_EQ(info.deviceModel, L"VX-TEST");
    EXPECT_EQ(info.phoneNumber, L"+4917");

    // Empty overrides read the device again.
    Apply(L"", L"", L"", L"", L"");
    EXPECT_EQ(info.deviceId, L"REAL");
    EXPECT_EQ(info.mcc, L"450");
    EXPECT_EQ(info.mnc, L"08");
    EXPECT_EQ(info.deviceModel, L"VX-100");
    EXPECT_EQ(info.phoneNumber, L"+8210");
}

TEST_F(IapSystemInfoTest, ZeroAndUndefinedOverrides) {
    Device({{L"sim.mcc", L"450"}, {L"sim.mnc", L"5"}});
    IapSystemInfo& info = Fresh();
    // All-zero codes mean "not overridden": the SIM is read.
    Apply(L"", L"000", L"00", L"", L"");
    EXPECT_EQ(info.mcc, L"450");
    EXPECT_EQ(info.mnc, L"05");

    Apply(L"", L"undefined", L"undefined", L"", L"");
    EXPECT_EQ(info.mcc, L"000");
    EXPECT_EQ(info.mnc, L"00");
}

TEST_F(IapSystemInfoTest, ZeroOverridesWithoutSimKeepPreviousValues) {
    Device({});
    IapSystemInfo& info = Fresh();
    Apply(L"", L"000", L"00", L"", L"");
    EXPECT_EQ(info.mcc, L"");
    EXPECT_EQ(info.mnc, L"00");
}

TEST_F(IapSystemInfoTest, DeviceIdComesFromTheMacWhenTheDeviceHasNone) {
    Device({{L"wifi.mac", L"00:11:22:AA:BB:CC"}});
    EXPECT_EQ(Fresh().deviceId, L"001122AABBCC1");

    Device({{L"system.duid", L""}, {L"wifi.mac", L"0a-1b-2c-3d-4e-5f"}});
    EXPECT_EQ(Fresh().deviceId, L"0a1b2c3d4e5f1");

    String guid;
    EXPECT_EQ(IapSystemInfo::GetInstance().GetGuid(guid), Vx::E_SUCCESS);
    EXPECT_EQ(guid, L"0a1b2c3d4e5f1");
}

TEST_F(IapSystemInfoTest, UnusableMacAddressesGiveTheUnknownDeviceId) {
    struct Row {
        const wchar_t* mac;
        const wchar_t* guid;
        Vx::result expected;
    };
    for (Row row : {Row{L"001122AABBCC", L"001122AABBCC1", Vx::E_SUCCESS},
                    Row{L"0011.22aa.bbcc", L"001122aabbcc1", Vx::E_SUCCESS},
                    Row{L"00:11:22:AA:BB:CC:DD:EE", L"001122AABBCC1", Vx::E_SUCCESS},
                    Row{L"00:11:22:AA:BB:C", IapSystemInfo::kUnknownGuid, Vx::E_INVALID_FORMAT},
                    Row{L"00:11", IapSystemInfo::kUnknownGuid, Vx::E_INVALID_FORMAT},
                    Row{L"x", IapSystemInfo::kUnknownGuid, Vx::E_INVALID_FORMAT},
                    Row{L"zz:11:22:AA:BB:CC", IapSystemInfo::kUnknownGuid, Vx::E_INVALID_FORMAT},
                    Row{L"00:11:22:AA:BB:CC:D", L"001122AABBCC1", Vx::E_SUCCESS},
                    Row{L"", IapSystemInfo::kUnknownGuid, Vx::E_DEVICE_UNAVAILABLE}}) {
        Device({{L"wifi.mac", row.mac}});
        IapSystemInfo& info = Fresh();
        EXPECT_EQ(info.deviceId, row.guid) << String(row.mac).ToUtf8();
        String guid = L"stale";
        EXPECT_EQ(info.GetGuid(guid), row.expected) << String(row.mac).ToUtf8();
        EXPECT_EQ(guid, row.guid) << String(row.mac).ToUtf8();
    }
}

TEST_F(IapSystemInfoTest, NoWifiAdapterGivesTheUnknownDeviceId) {
    Device({{L"wifi.enabled", L"false"}, {L"wifi.mac", L"00:11:22:AA:BB:CC"}});
    IapSystemInfo& info = Fresh();
    EXPECT_EQ(info.deviceId, IapSystemInfo::kUnknownGuid);
    String guid;
    EXPECT_EQ(info.GetGuid(guid), Vx::E_DEVICE_UNAVAILABLE);
    EXPECT_EQ(String(IapSystemInfo::kUnknownGuid).GetLength(), 13);
}

TEST_F(IapSystemInfoTest, ConstructRunsOnceAndKeepsTheMode) {
    Device({{L"sim.mcc", L"450"}});
    IapSystemInfo& info = Fresh();
    info.mode = L"1";
    Device({{L"sim.mcc", L"310"}});
    info.Construct();
    EXPECT_EQ(IapSystemInfo::GetInstance().mode, L"1");
    EXPECT_EQ(IapSystemInfo::GetInstance().mcc, L"450");
    Apply(L"", L"", L"", L"", L"");
    EXPECT_EQ(info.mcc, L"310");
    EXPECT_EQ(info.mode, L"1");
    EXPECT_EQ(info.language, L"EN");
}

}  // namespace
