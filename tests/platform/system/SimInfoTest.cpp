#include "platform/system/SimInfo.h"

#include <gtest/gtest.h>

#include "TempPlatformHome.h"

using Vx::Telephony::SimInfo;

namespace {

class SimInfoTest : public ::testing::Test {
protected:
    TempPlatformHome home_;
};

TEST_F(SimInfoTest, NoProfileOrNoSimSectionMeansNoSim) {
    SimInfo withoutProfile;
    EXPECT_EQ(withoutProfile.Construct(), Vx::E_DEVICE_UNAVAILABLE);
    EXPECT_EQ(withoutProfile.GetMobileCountryCode(), -1);
    EXPECT_TRUE(withoutProfile.GetPhoneNumber().IsEmpty());

    home_.WriteProfile("[system]\nduid = abc\n");
    SimInfo withoutSim;
    EXPECT_EQ(withoutSim.Construct(), Vx::E_DEVICE_UNAVAILABLE);
}

TEST_F(SimInfoTest, ReadsCodesAndNumber) {
    home_.WriteProfile("[sim]\nmcc = 450\nmnc = 05\nphone_number = +821012345678\n");
    SimInfo sim;
    ASSERT_EQ(sim.Construct(), Vx::E_SUCCESS);
    EXPECT_EQ(sim.Construct(), Vx::E_INVALID_STATE);
    EXPECT_EQ(sim.GetMobileCountryCode(), 450);
    EXPECT_EQ(sim.GetMobileNetworkCode(), 5);
    EXPECT_EQ(sim.GetPhoneNumber(), L"+821012345678");
}

TEST_F(SimInfoTest, AnEmptySimSectionIsASimWithUnknownValues) {
    home_.WriteProfile("[sim]\n");
    SimInfo sim;
    ASSERT_EQ(sim.Construct(), Vx::E_SUCCESS);
    EXPECT_EQ(sim.GetMobileCountryCode(), -1);
    EXPECT_EQ(sim.GetMobileNetworkCode(), -1);
    EXPECT_TRUE(sim.GetPhoneNumber().IsEmpty());
}

TEST_F(SimInfoTest, CodesThatAreNotSmallDecimalsAreUnknown) {
    SimInfo sim;
    home_.WriteProfile("[sim]\n");
    ASSERT_EQ(sim.Construct(), Vx::E_SUCCESS);
    for (const char* text :
         {"99999999999999999999", "2147483648", "1000", "-5", "+5", "4 5", "0x1F", "abc", "\xD9\xA3"}) {
        home_.WriteProfile(std::string("[sim]\nmcc = ") + text + "\nmnc = " + text + "\n");
        EXPECT_EQ(sim.GetMobileCountryCode(), -1) << text;
        EXPECT_EQ(sim.GetMobileNetworkCode(), -1) << text;
    }
    home_.WriteProfile("[sim]\nmcc = 999\nmnc = 0\n");
    EXPECT_EQ(sim.GetMobileCountryCode(), 999);
    EXPECT_EQ(sim.GetMobileNetworkCode(), 0);
}

TEST_F(SimInfoTest, EachQueryReadsTheProfileAgain) {
    home_.WriteProfile("[sim]\nmcc = 310\n");
    SimInfo sim;
    ASSERT_EQ(sim.Construct(), Vx::E_SUCCESS);
    EXPECT_EQ(sim.GetMobileCountryCode(), 310);
    home_.WriteProfile("[sim]\nmcc = 262\n");
    EXPECT_EQ(sim.GetMobileCountryCode(), 262);
    // The card taken out after construction.
    home_.WriteProfile("[wifi]\n");
    EXPECT_EQ(sim.GetMobileCountryCode(), -1);
    EXPECT_TRUE(sim.GetPhoneNumber().IsEmpty());
}

}  // namespace
