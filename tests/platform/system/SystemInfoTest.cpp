#include "platform/system/SystemInfo.h"

#include <gtest/gtest.h>

#include "TempPlatformHome.h"

using Vx::Base::String;
using Vx::System::SystemInfo;

namespace {

class SystemInfoTest : public ::testing::Test {
protected:
    TempPlatformHome home_;
};

TEST_F(SystemInfoTest, ReadsSystemKeysFromTheProfile) {
    home_.WriteProfile("[system]\nduid = IMEI-0042\nmodel_name = VX-100\n");
    String value;
    ASSERT_EQ(SystemInfo::GetValue(L"http://vexmora.com/system/duid", value), Vx::E_SUCCESS);
    EXPECT_EQ(value, L"IMEI-0042");
    ASSERT_EQ(SystemInfo::GetValue(L"http://vexmora.com/system/model_name", value), Vx::E_SUCCESS);
    EXPECT_EQ(value, L"VX-100");
}

TEST_F(SystemInfoTest, AbsentOrEmptyValuesFailAndLeaveTheOutputAlone) {
    String value = L"before";
    EXPECT_EQ(SystemInfo::GetValue(L"http://vexmora.com/system/duid", value), Vx::E_OBJ_NOT_FOUND);
    home_.WriteProfile("[system]\nduid =\n");
    EXPECT_EQ(SystemInfo::GetValue(L"http://vexmora.com/system/duid", value), Vx::E_OBJ_NOT_FOUND);
    EXPECT_EQ(SystemInfo::GetValue(L"http://vexmora.com/system/model_name", value), Vx::E_OBJ_NOT_FOUND);
    EXPECT_EQ(value, L"before");
}

TEST_F(SystemInfoTest, KeysOutsideTheSystemNamespaceAreInvalid) {
    home_.WriteProfile("[system]\nduid = x\n[sim]\nmcc = 1\n");
    String value = L"before";
    for (const wchar_t* key :
         {L"", L"duid", L"/system/duid", L"http://vexmora.com/system/", L"http://example.com/system/duid",
          L"http://vexmora.com/sim/mcc", L"http://vexmora.com/system/sim.mcc", L"http://vexmora.com/system/du id"}) {
        EXPECT_EQ(SystemInfo::GetValue(key, value), Vx::E_INVALID_ARG) << String(key).ToUtf8();
    }
    EXPECT_EQ(value, L"before");
}

}  // namespace
