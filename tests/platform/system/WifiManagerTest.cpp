#include "platform/system/WifiManager.h"

#include <gtest/gtest.h>
#include <QNetworkInterface>

#include "TempPlatformHome.h"

using Vx::Base::String;
using Vx::Net::Wifi::WifiManager;

namespace {

class NullListener : public Vx::Net::Wifi::IWifiManagerEventListener {
public:
    void OnWifiActivated(Vx::result) override {}
    void OnWifiDeactivated(Vx::result) override {}
    void OnWifiConnected(const String&, Vx::result) override {}
    void OnWifiDisconnected() override {}
    void OnWifiRssiChanged(long) override {}
    void OnWifiScanCompletedN(Vx::Base::Collection::ArrayList* list, Vx::result) override { delete list; }
};

class WifiManagerTest : public ::testing::Test {
protected:
    TempPlatformHome home_;
    NullListener listener_;
};

TEST_F(WifiManagerTest, ProfileAddressIsReportedAsWritten) {
    home_.WriteProfile("[wifi]\nmac = 00:11:22:AA:BB:CC\n");
    WifiManager wifi;
    EXPECT_TRUE(wifi.GetMacAddress().IsEmpty());  // not constructed yet
    ASSERT_EQ(wifi.Construct(listener_), Vx::E_SUCCESS);
    EXPECT_EQ(wifi.Construct(listener_), Vx::E_INVALID_STATE);
    EXPECT_EQ(wifi.GetMacAddress(), L"00:11:22:AA:BB:CC");
    home_.WriteProfile("[wifi]\nmac = 12\n");
    EXPECT_EQ(wifi.GetMacAddress(), L"12");
    home_.WriteProfile("[wifi]\nmac =\n");
    EXPECT_TRUE(wifi.GetMacAddress().IsEmpty());
}

TEST_F(WifiManagerTest, DisabledAdapterCannotBeConstructed) {
    home_.WriteProfile("[wifi]\nenabled = false\nmac = 00:11:22:AA:BB:CC\n");
    WifiManager wifi;
    EXPECT_EQ(wifi.Construct(listener_), Vx::E_DEVICE_UNAVAILABLE);
    EXPECT_TRUE(wifi.GetMacAddress().IsEmpty());
}

TEST_F(WifiManagerTest, WithoutAProfileAddressTheMachinesFirstInterfaceIsUsed) {
    QString up;
    QString down;
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        QString address = interface.hardwareAddress();
        if (interface.flags().testFlag(QNetworkInterface::IsLoopBack) || address.size() != 17 ||
            address == QLatin1String("00:00:00:00:00:00")) {
            continue;
        }
        QString& slot = interface.flags().testFlag(QNetworkInterface::IsUp) ? up : down;
        if (slot.isEmpty()) slot = address;
    }
    QString expected = up.isEmpty() ? down : up;
    WifiManager wifi;
    ASSERT_EQ(wifi.Construct(listener_), Vx::E_SUCCESS);
    EXPECT_EQ(wifi.GetMacAddress().ToUtf8(), expected.toStdString());
}

}  // namespace
