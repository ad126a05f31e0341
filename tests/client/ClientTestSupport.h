#pragma once
// Helpers for buyclient's unit suites: a loopback store with canned replies
// (country search included) and a listener that records what reaches it.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <map>

#include "client/IapClientListener.h"
#include "client/IapClientPrivate.h"
#include "lib/device/IapSystemInfo.h"
#include "lib/protocol/IapCommonHttpReply.h"
#include "platform/ui/UiEnvironment.h"
#include "tests/protocol/IapCommonHttpSessionTestSupport.h"

namespace ClientTest {

using IapSessionTest::CannedServer;
using IapSessionTest::ReplyDocument;
using IapSessionTest::RunUntil;
using IapSessionTest::ScopedEnv;
using IapSessionTest::Settle;
using Record = std::vector<std::pair<std::string, std::string>>;

// A platform home of the process's own and a known device. With `windows`
// the process gets the windowed application object that UI applications need.
class Environment : public ::testing::Environment {
public:
    explicit Environment(bool windows = false) : windows_(windows) {}
    void SetUp() override {
        if (windows_) {
            std::string pattern = "/tmp/iap-client-test-XXXXXX";
            if (::mkdtemp(pattern.data())) ::setenv("IAP_PLATFORM_HOME", pattern.c_str(), 1);
            Vx::Ui::EnsureUiApplication();
        } else {
            IapSessionTest::UseFreshPlatformHome();
        }
        IapSystemInfo& info = IapSystemInfo::GetInstance();
        info.mcc = L"450";
        info.mode = L"0";
        info.deviceId = L"00112233aabb1";
    }

private:
    bool windows_;
};

// A store whose country search sends the device to itself; `store` writes
// every other reply from the request's transaction id and function.
class CannedStore {
public:
    using StoreHandler = std::function<std::string(int tid, int function)>;

    explicit CannedStore(StoreHandler store,
                         Record country = {{"currencyUnitPrecedes", "1"}, {"currencyUnitHasPenny", "1"}})
        : store_(std::move(store)), country_(std::move(country)) {
        server_ = std::make_unique<CannedServer>([this](const std::string& path, int tid, int function) {
            if (path == "/ods.as") {
                Record record = country_;
                record.push_back({"countryURL", server_->Url("/store")});
                return ReplyDocument(tid, function, 0, {record});
            }
            return store_(tid, function);
        });
    }
    bool IsRunning() const { return server_->IsRunning(); }
    std::string CountrySearchUrl() const { return server_->Url("/ods.as"); }
    std::vector<CannedServer::Hit> StoreHits() const {
        std::vector<CannedServer::Hit> hits;
        for (const CannedServer::Hit& hit : server_->Hits()) {
            if (hit.path == "/store") hits.push_back(hit);
        }
        return hits;
    }
    void SetHandler(StoreHandler store) { store_ = std::move(store); }

private:
    StoreHandler store_;
    Record country_;
    std::unique_ptr<CannedServer> server_;
};

// The text of parameter `name` in a request document; "<absent>" when missing.
inline std::string ParamOf(const std::string& body, const std::string& name) {
    const std::string marker = "name=\"" + name + "\"";
    std::size_t at = body.find(marker);
    if (at == std::string::npos) return "<absent>";
    at = body.find('>', at);
    std::size_t end = body.find('<', at);
    return body.substr(at + 1, end - at - 1);
}

// What reached a client listener, in order.
struct Heard {
    enum Kind { MethodList, Function, Password };
    Heard(Kind k, int tid, int code) : kind(k), transactionId(tid), errorCode(code) {}
    Kind kind;
    int transactionId;
    int errorCode;
    int function = 0;  // Function
    int result = 0;    // Password
    std::vector<IapClientPaymentMethodInfo> methods;
    int startNumber = -1, endNumber = -1, totalCount = -1;
};

class RecordingListener : public IapClientListener {
public:
    void OnPaymentMethodListReceived(int tid, IapCommonHttp::ErrorCode errorCode,
                                     const IapItemList<IapClientPaymentMethodInfo>& methods) override {
        Heard heard{Heard::MethodList, tid, errorCode};
        for (int i = 0; i < methods.GetCount(); ++i)
            heard.methods.push_back(methods.At(i));
        heard.startNumber = methods.startNumber;
        heard.endNumber = methods.endNumber;
        heard.totalCount = methods.totalCount;
        Add(heard);
    }
    void OnPaymentMethodFunction(const IapCommonHttpReply& reply) override {
        Heard heard{Heard::Function, reply.transactionId, reply.rawErrorCode};
        heard.function = reply.functionId;
        Add(heard);
    }
    void OnCheckPasswordReceived(int tid, IapCommonHttp::ErrorCode errorCode, int result) override {
        Heard heard{Heard::Password, tid, errorCode};
        heard.result = result;
        Add(heard);
    }
    bool WaitForCount(std::size_t count, int timeoutMs = 20000) const {
        return RunUntil([&] { return heard.size() >= count; }, timeoutMs);
    }

    std::vector<Heard> heard;
    // Runs after each record, from inside the callback.
    std::function<void(const Heard&)> react;

private:
    void Add(const Heard& h) {
        heard.push_back(h);
        if (react) react(h);
    }
};

// Keeps the answers and termination requests instead of sending them.
class TestFacade : public IapClientPrivate {
public:
    struct Sent {
        Vx::App::RequestId requestId;
        Vx::App::AppCtrlResult result;
        bool hasMap;
        std::map<std::string, std::string> extra;
    };

    std::vector<Sent> sent;
    int terminations = 0;
    bool failMap = false;

protected:
    Vx::result SendAnswer(Vx::App::RequestId requestId, Vx::App::AppCtrlResult appResult,
                          const Vx::Base::Collection::IMap* extraData) override {
        Sent answer{requestId, appResult, extraData != nullptr, {}};
        if (extraData) {
            Vx::Base::Collection::IMapEnumerator* entries = extraData->GetMapEnumeratorN();
            while (entries && entries->MoveNext() == Vx::E_SUCCESS) {
                const auto* key = dynamic_cast<const Vx::Base::String*>(entries->GetKey());
                const auto* value = dynamic_cast<const Vx::Base::String*>(entries->GetValue());
                if (key && value) answer.extra[key->ToUtf8()] = value->ToUtf8();
            }
            delete entries;
        }
        sent.push_back(answer);
        return Vx::E_SUCCESS;
    }
    Vx::Base::Collection::HashMap* CreateAnswerMapN() override {
        return failMap ? nullptr : IapClientPrivate::CreateAnswerMapN();
    }
    void RequestTermination() override { ++terminations; }
};

}  // namespace ClientTest
