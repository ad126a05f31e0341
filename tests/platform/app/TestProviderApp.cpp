// A service application for the application-control tests. Operations (the
// extra data of the request decides details):
//   echo        answers SUCCEEDED with the request's entries plus _pid, _caller, _operation,
//               _requestId, _uri, _mime
//   twice       answers twice; the second attempt's result is kept for "report"
//   report      answers with _secondAnswer (result name of the last second attempt) and _pid
//   never       never answers
//   crash       the process aborts mid-request
//   delay       answers after _delayMs milliseconds
//   quit        answers, then ends the application
//   quitSlowly  answers, then ends the application, taking 0.7 s to do so
//   quitSilent  ends the application without answering
//   fail        answers FAILED without a map
//   watch       answers with _lastActive (the last application reported in the foreground)
//   big         answers with _count entries of _size bytes each
//   abandoned   answers with _abandoned: the requests whose callers went away, comma-separated
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "platform/app/AppControlProviderManager.h"
#include "platform/app/AppManager.h"
#include "platform/app/IActiveAppEventListener.h"
#include "platform/app/IAppControlProviderEventListener.h"
#include "platform/app/ITimerEventListener.h"
#include "platform/app/ServiceApp.h"
#include "platform/app/Timer.h"
#include "platform/base/HashMap.h"
#include "platform/base/Number.h"

using namespace Vx;
using namespace Vx::App;
using Vx::Base::String;
using Vx::Base::Collection::ElementOwnership;
using Vx::Base::Collection::HashMap;
using Vx::Base::Collection::IMap;

namespace {

void Put(HashMap& map, const String& key, const String& value) {
    auto* k = new String(key);
    auto* v = new String(value);
    if (map.ContainsKey(*k)) {
        map.SetValue(*k, v);
        delete k;
    } else {
        map.Add(k, v);
    }
}

String Get(const IMap* map, const wchar_t* key, const String& fallback = L"") {
    if (!map) return fallback;
    auto* value = dynamic_cast<const String*>(map->GetValue(String(key)));
    return value ? *value : fallback;
}

int GetInt(const IMap* map, const wchar_t* key, int fallback) {
    int value = fallback;
    if (Vx::Base::Integer::Parse(Get(map, key, L"x"), value) != E_SUCCESS) return fallback;
    return value;
}

class DelayedAnswer : public Vx::Base::Runtime::ITimerEventListener {
public:
    explicit DelayedAnswer(RequestId reqId) : reqId_(reqId) { timer_.Construct(*this); }
    void Start(int ms) { timer_.Start(ms); }
    void OnTimerExpired(Vx::Base::Runtime::Timer&) override;

private:
    RequestId reqId_;
    Vx::Base::Runtime::Timer timer_;
};

class TestProviderApp : public ServiceApp, public IAppControlProviderEventListener, public IActiveAppEventListener {
public:
    static ServiceApp* CreateInstance() { return new TestProviderApp(); }

    bool OnAppInitializing(AppRegistry&) override {
        AppManager::GetInstance()->AddActiveAppEventListener(*this);
        return AppControlProviderManager::GetInstance()->SetAppControlProviderEventListener(this) == E_SUCCESS;
    }

    void OnActiveAppChanged(const AppId& appId) override { lastActive_ = appId; }

    void OnAppControlRequestReceived(RequestId reqId, const String& operationId, const String* uri,
                                     const String* mimeType, const IMap* extra) override {
        auto* manager = AppControlProviderManager::GetInstance();
        // Operations are known by their last path segment: "echo" and "http://vexmora.com/echo" alike.
        String op = operationId;
        int slash = -1;
        if (operationId.LastIndexOf(L'/', operationId.GetLength() - 1, slash) == E_SUCCESS)
            operationId.SubString(slash + 1, op);
        if (op == L"echo") {
            HashMap answer(ElementOwnership::Owned);
            answer.Construct();
            CopyEntries(extra, answer);
            String caller;
            manager->GetClientAppId(reqId, caller);
            Put(answer, L"_caller", caller);
            Put(answer, L"_operation", operationId);
            Put(answer, L"_requestId", String::FromUtf8(std::to_string(reqId)));
            if (uri) Put(answer, L"_uri", *uri);
            if (mimeType) Put(answer, L"_mime", *mimeType);
            Put(answer, L"_pid", String::FromUtf8(std::to_string(::getpid())));
            manager->SendAppControlResult(reqId, APP_CTRL_RESULT_SUCCEEDED, &answer);
        } else if (op == L"twice") {
            manager->SendAppControlResult(reqId, APP_CTRL_RESULT_SUCCEEDED, nullptr);
            secondAnswer_ = manager->SendAppControlResult(reqId, APP_CTRL_RESULT_CANCELED, nullptr);
        } else if (op == L"report") {
            HashMap answer(ElementOwnership::Owned);
            Put(answer, L"_secondAnswer", String(GetResultName(secondAnswer_)));
            Put(answer, L"_pid", String::FromUtf8(std::to_string(::getpid())));
            manager->SendAppControlResult(reqId, APP_CTRL_RESULT_SUCCEEDED, &answer);
        } else if (op == L"never") {
            // Owed for ever.
        } else if (op == L"crash") {
            std::_Exit(134);
        } else if (op == L"delay") {
            auto& delayed = delayed_[reqId];
            delayed = std::make_unique<DelayedAnswer>(reqId);
            delayed->Start(GetInt(extra, L"_delayMs", 100));
        } else if (op == L"quit") {
            manager->SendAppControlResult(reqId, APP_CTRL_RESULT_SUCCEEDED, nullptr);
            Terminate();
        } else if (op == L"quitSlowly") {
            manager->SendAppControlResult(reqId, APP_CTRL_RESULT_SUCCEEDED, nullptr);
            slowEnd_ = true;
            Terminate();
        } else if (op == L"quitSilent") {
            Terminate();
        } else if (op == L"watch") {
            HashMap answer(ElementOwnership::Owned);
            Put(answer, L"_lastActive", lastActive_);
            manager->SendAppControlResult(reqId, APP_CTRL_RESULT_SUCCEEDED, &answer);
        } else if (op == L"abandoned") {
            HashMap answer(ElementOwnership::Owned);
            Put(answer, L"_abandoned", String::FromUtf8(abandoned_));
            Put(answer, L"_pid", String::FromUtf8(std::to_string(::getpid())));
            manager->SendAppControlResult(reqId, APP_CTRL_RESULT_SUCCEEDED, &answer);
        } else if (op == L"big") {
            HashMap answer(ElementOwnership::Owned);
            int count = GetInt(extra, L"_count", 1), size = GetInt(extra, L"_size", 1);
            for (int i = 0; i < count; ++i)
                Put(answer, String::FromUtf8("k" + std::to_string(i)), String(std::wstring(size, L'x')));
            HashMap result(ElementOwnership::Owned);
            Put(result, L"_sent",
                String(GetResultName(manager->SendAppControlResult(reqId, APP_CTRL_RESULT_SUCCEEDED, &answer))));
            // The big answer was refused: say so in a small one.
            manager->SendAppControlResult(reqId, APP_CTRL_RESULT_FAILED, &result);
        } else {
            manager->SendAppControlResult(reqId, APP_CTRL_RESULT_FAILED, nullptr);
        }
    }

    void OnAppControlRequestAbandoned(RequestId reqId) override {
        if (!abandoned_.empty()) abandoned_ += ",";
        abandoned_ += std::to_string(reqId);
        // Answering it now reaches nobody, and says so.
        result late =
            AppControlProviderManager::GetInstance()->SendAppControlResult(reqId, APP_CTRL_RESULT_FAILED, nullptr);
        abandoned_ += std::string(":") + GetResultName(late);
    }

    void Answered(RequestId reqId) { delayed_.erase(reqId); }

    bool OnAppTerminating(AppRegistry&, bool) override {
        // Keeps the ending instance around while new callers arrive.
        if (slowEnd_) ::usleep(700 * 1000);
        return true;
    }

private:
    static void CopyEntries(const IMap* from, HashMap& to) {
        if (!from) return;
        std::unique_ptr<Vx::Base::Collection::IMapEnumerator> it(from->GetMapEnumeratorN());
        while (it->MoveNext() == E_SUCCESS)
            Put(to, *static_cast<const String*>(it->GetKey()), *static_cast<const String*>(it->GetValue()));
    }

    result secondAnswer_ = E_SUCCESS;
    std::string abandoned_;
    bool slowEnd_ = false;
    String lastActive_;
    std::map<RequestId, std::unique_ptr<DelayedAnswer>> delayed_;
};

void DelayedAnswer::OnTimerExpired(Vx::Base::Runtime::Timer&) {
    RequestId reqId = reqId_;
    HashMap answer(ElementOwnership::Owned);
    Put(answer, L"_delayed", L"1");
    AppControlProviderManager::GetInstance()->SendAppControlResult(reqId, APP_CTRL_RESULT_SUCCEEDED, &answer);
    // Deletes this object: nothing of it is used afterwards.
    static_cast<TestProviderApp*>(Vx::App::App::GetInstance())->Answered(reqId);
}

}  // namespace

int main(int argc, char** argv) {
    Vx::Base::Collection::ArrayList args(ElementOwnership::Owned);
    args.Construct(argc);
    for (int i = 0; i < argc; ++i)
        args.Add(new String(argv[i]));
    result r = ServiceApp::Execute(TestProviderApp::CreateInstance, &args);
    return r == E_SUCCESS ? 0 : 1;
}
