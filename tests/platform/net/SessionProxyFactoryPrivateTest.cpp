// Which proxy a session without its own proxy uses.
#include "platform/net/SessionProxyFactoryPrivate.h"

#include <gtest/gtest.h>

#include <QUrl>

#include <cstdlib>
#include <map>
#include <string>

using Vx::Net::Http::SessionProxyFactoryPrivate;

namespace {

// Sets the proxy variables for one test and puts the previous values back.
class ProxyEnvironment {
public:
    ProxyEnvironment() {
        for (const char* name : kNames) {
            if (const char* value = std::getenv(name)) saved_[name] = value;
            ::unsetenv(name);
        }
    }
    ~ProxyEnvironment() {
        for (const char* name : kNames)
            ::unsetenv(name);
        for (const auto& [name, value] : saved_)
            ::setenv(name.c_str(), value.c_str(), 1);
    }

private:
    static constexpr const char* kNames[] = {"http_proxy",  "HTTP_PROXY", "https_proxy",
                                             "HTTPS_PROXY", "all_proxy",  "ALL_PROXY"};
    std::map<std::string, std::string> saved_;
};

QNetworkProxy::ProxyType FirstProxyType(const char* url) {
    SessionProxyFactoryPrivate factory;
    QList<QNetworkProxy> proxies = factory.queryProxy(QNetworkProxyQuery(QUrl(QString::fromUtf8(url))));
    return proxies.isEmpty() ? QNetworkProxy::DefaultProxy : proxies.first().type();
}

}  // namespace

TEST(SessionProxyFactoryPrivateTest, GoesDirectWhenTheEnvironmentNamesNoProxy) {
    ProxyEnvironment clean;
    EXPECT_FALSE(SessionProxyFactoryPrivate::EnvironmentNamesProxy());
    EXPECT_EQ(FirstProxyType("http://store.example.com/store"), QNetworkProxy::NoProxy);
    ::setenv("http_proxy", "", 1);  // set but empty names nothing
    EXPECT_FALSE(SessionProxyFactoryPrivate::EnvironmentNamesProxy());
}

TEST(SessionProxyFactoryPrivateTest, AConfiguredProxyStillServesRemoteHostsButNotLoopback) {
    ProxyEnvironment clean;
    ::setenv("http_proxy", "http://proxy.example.com:3128", 1);
    EXPECT_TRUE(SessionProxyFactoryPrivate::EnvironmentNamesProxy());
    EXPECT_EQ(FirstProxyType("http://store.example.com/store"), QNetworkProxy::HttpProxy);
    for (const char* local : {"http://127.0.0.1:8080/ods.as", "http://localhost/x", "http://LOCALHOST:1/x",
                              "http://[::1]:8080/x", "http://127.1.2.3/x"})
        EXPECT_EQ(FirstProxyType(local), QNetworkProxy::NoProxy) << local;
}

TEST(SessionProxyFactoryPrivateTest, OnlyLoopbackAddressesCountAsLoopback) {
    EXPECT_TRUE(SessionProxyFactoryPrivate::IsLoopbackHost("127.0.0.1"));
    EXPECT_TRUE(SessionProxyFactoryPrivate::IsLoopbackHost("::1"));
    EXPECT_FALSE(SessionProxyFactoryPrivate::IsLoopbackHost("10.0.0.1"));
    EXPECT_FALSE(SessionProxyFactoryPrivate::IsLoopbackHost("localhost.example.com"));
    EXPECT_FALSE(SessionProxyFactoryPrivate::IsLoopbackHost(""));
}
