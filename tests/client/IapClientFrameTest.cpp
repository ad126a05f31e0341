// The frame inside a real (offscreen) UI application of this test process:
// the purchase request table, refusals, the foreground watch, the answer at
// teardown, and the form factory behind it. Answers and termination requests
// are recorded instead of sent.
#include "client/IapClientFrame.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "client/IapClientFormFactory.h"
#include "client/IapClientScenes.h"
#include "client/ui/IapClientScenePurchase.h"
#include "client/ui/IapClientScenePurchasePrivate.h"
#include "lib/device/IapSystemInfo.h"
#include "lib/device/OblinAccount.h"
#include "platform/app/UiApp.h"
#include "platform/base/HashMap.h"
#include "platform/ui/scenes/SceneManager.h"
#include "tests/client/ClientTestSupport.h"

using namespace Vx;
using namespace Vx::Base;
using namespace Vx::Base::Collection;
using namespace ClientTest;
using Decision = IapClientFrame::Decision;
using Mode = IapClientFrame::RequestMode;

namespace {

[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new Environment(true));

class ProbeFrame : public IapClientFrame {
public:
    bool failClient = false;
    bool failFactory = false;
    std::vector<App::RequestId> refusals;
    int terminations = 0;
    TestFacade* facade = nullptr;

protected:
    IapClientPrivate* CreateClientN() override {
        if (failClient) return nullptr;
        facade = new TestFacade();
        return facade;
    }
    IapClientFormFactory* CreateFormFactoryN(IapClientPrivate& client) override {
        return failFactory ? nullptr : IapClientFrame::CreateFormFactoryN(client);
    }
    void SendRefusal(App::RequestId requestId) override { refusals.push_back(requestId); }
    void RequestTermination() override { ++terminations; }
};

// Runs `scenario` with a frame inside a running UI application, then ends it.
class ProbeApp : public Vx::App::UiApp {
public:
    static std::function<void(ProbeFrame&)> scenario;
    static std::function<void(ProbeFrame&)> prepare;

    static Vx::App::UiApp* Create() { return new ProbeApp(); }
    ~ProbeApp() override {
        if (!added_) delete frame_;
    }
    bool OnAppInitializing(Vx::App::AppRegistry&) override {
        frame_ = new ProbeFrame();
        if (prepare) prepare(*frame_);
        return true;
    }
    bool OnAppInitialized() override {
        scenario(*frame_);
        added_ = GetAppFrame() == frame_;
        Vx::App::App::Terminate();
        return true;
    }

private:
    ProbeFrame* frame_ = nullptr;
    bool added_ = false;
};
std::function<void(ProbeFrame&)> ProbeApp::scenario;
std::function<void(ProbeFrame&)> ProbeApp::prepare;

void RunInApp(std::function<void(ProbeFrame&)> scenario, std::function<void(ProbeFrame&)> prepare = nullptr) {
    ProbeApp::scenario = std::move(scenario);
    ProbeApp::prepare = std::move(prepare);
    ASSERT_EQ(E_SUCCESS, App::UiApp::Execute(ProbeApp::Create, nullptr));
}

// An extra-data map of "key=value" pairs.
class Extra {
public:
    Extra(std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> entries) : map_(ElementOwnership::Owned) {
        map_.Construct();
        for (const auto& [key, value] : entries)
            map_.Add(new String(key), new String(value));
    }
    const IMap* Get() const { return &map_; }

private:
    HashMap map_;
};

const Extra kNewPurchase{{L"_transactionId", L"5"}, {L"_itemId", L"7"}, {L"_itemGroupId", L"100000000001"}};
const Extra kResume{{L"_transactionId", L"6"}, {L"_purchaseResume", L"1"}};

TEST(IapClientFrameTest, APartThatCannotBeMadeFailsConstruction) {
    result noFactory = E_SUCCESS;
    result noClient = E_SUCCESS;
    RunInApp([&](ProbeFrame&) {
        ProbeFrame withoutFactory;
        withoutFactory.failFactory = true;
        noFactory = withoutFactory.Construct();
        ProbeFrame withoutClient;
        withoutClient.failClient = true;
        noClient = withoutClient.Construct();
    });
    EXPECT_EQ(E_OUT_OF_MEMORY, noFactory);
    EXPECT_EQ(E_OUT_OF_MEMORY, noClient);
}

struct Step {
    const Extra* extra;
    Decision expected;
};

struct TableRow {
    const char* why;
    std::vector<Step> steps;
    Mode finalMode;
};

TEST(IapClientFrameTest, EveryRowOfThePurchaseRequestTable) {
    const Extra noTransaction{{L"_itemId", L"7"}, {L"_itemGroupId", L"1"}};
    const Extra wordTransaction{{L"_transactionId", L"five"}, {L"_itemId", L"7"}, {L"_itemGroupId", L"1"}};
    const Extra negativeTransaction{{L"_transactionId", L"-3"}, {L"_itemId", L"7"}, {L"_itemGroupId", L"1"}};
    const Extra noItem{{L"_transactionId", L"5"}, {L"_itemGroupId", L"1"}};
    const Extra emptyGroup{{L"_transactionId", L"5"}, {L"_itemId", L"7"}, {L"_itemGroupId", L""}};
    const Extra resumeTwo{{L"_transactionId", L"5"}, {L"_purchaseResume", L"2"}};
    const Extra resumeWord{
        {L"_transactionId", L"5"}, {L"_purchaseResume", L"yes"}, {L"_itemId", L"7"}, {L"_itemGroupId", L"1"}};
    const TableRow rows[] = {
        {"first request, new purchase", {{&kNewPurchase, Decision::Accepted}}, Mode::NewPurchase},
        {"no transaction id", {{&noTransaction, Decision::Refused}}, Mode::None},
        {"transaction id not a number", {{&wordTransaction, Decision::Refused}}, Mode::None},
        {"negative transaction id", {{&negativeTransaction, Decision::Refused}}, Mode::None},
        {"first request resumes", {{&kResume, Decision::Refused}}, Mode::None},
        {"resume value not a number", {{&resumeWord, Decision::Refused}}, Mode::None},
        {"no item id", {{&noItem, Decision::Refused}}, Mode::None},
        {"empty item group", {{&emptyGroup, Decision::Refused}}, Mode::None},
        {"new, then resume",
         {{&kNewPurchase, Decision::Accepted}, {&kResume, Decision::Accepted}},
         Mode::ResumedPurchase},
        {"second new purchase",
         {{&kNewPurchase, Decision::Accepted}, {&kNewPurchase, Decision::Refused}},
         Mode::NewPurchase},
        {"new, then resume 2",
         {{&kNewPurchase, Decision::Accepted}, {&resumeTwo, Decision::Refused}},
         Mode::NewPurchase},
        {"resumed twice",
         {{&kNewPurchase, Decision::Accepted}, {&kResume, Decision::Accepted}, {&kResume, Decision::Accepted}},
         Mode::ResumedPurchase},
        {"resumed, then resume 2",
         {{&kNewPurchase, Decision::Accepted}, {&kResume, Decision::Accepted}, {&resumeTwo, Decision::Refused}},
         Mode::ResumedPurchase},
        // The resumed caller is still owed its outcome: refused, and buyclient goes on.
        {"new purchase while a resumed one is finished",
         {{&kNewPurchase, Decision::Accepted},
          {&kResume, Decision::Accepted},
          {&kNewPurchase, Decision::RefusedAndGoOn}},
         Mode::ResumedPurchase},
    };
    for (const TableRow& row : rows) {
        SCOPED_TRACE(row.why);
        RunInApp([&](ProbeFrame& frame) {
            ASSERT_EQ(E_SUCCESS, frame.Construct());
            App::RequestId id = 100;
            int refusedAndEnded = 0;
            int refused = 0;
            for (const Step& step : row.steps) {
                EXPECT_EQ(step.expected, frame.HandlePurchaseRequest(++id, step.extra->Get())) << "request " << id;
                refused += step.expected != Decision::Accepted;
                refusedAndEnded += step.expected == Decision::Refused;
            }
            EXPECT_EQ(row.finalMode, frame.GetRequestMode());
            EXPECT_EQ(static_cast<std::size_t>(refused), frame.refusals.size());
            EXPECT_EQ(refusedAndEnded, frame.terminations);
            EXPECT_TRUE(frame.facade->sent.empty()) << "a refusal is not the facade's answer";
        });
    }
}

TEST(IapClientFrameTest, ARefusedRequestDoesNotTakeThePlaceOfTheCallerStillOwed) {
    RunInApp([](ProbeFrame& frame) {
        ASSERT_EQ(E_SUCCESS, frame.Construct());
        ASSERT_EQ(Decision::Accepted, frame.HandlePurchaseRequest(11, kNewPurchase.Get()));
        ASSERT_EQ(Decision::Refused, frame.HandlePurchaseRequest(12, kNewPurchase.Get()));
        ASSERT_EQ(std::vector<App::RequestId>{12}, frame.refusals);
        frame.OnTerminating();
        ASSERT_EQ(1u, frame.facade->sent.size());
        EXPECT_EQ(11, frame.facade->sent[0].requestId);
        EXPECT_EQ("5", frame.facade->sent[0].extra["_transactionId"]);
        EXPECT_EQ("100", frame.facade->sent[0].extra["_result"]);
        EXPECT_EQ("OnPurchaseItemFinished", frame.facade->sent[0].extra["_method"]);
    });
}

TEST(IapClientFrameTest, OnceTheResumedCallerIsAnsweredANewPurchaseIsAccepted) {
    RunInApp([](ProbeFrame& frame) {
        ASSERT_EQ(E_SUCCESS, frame.Construct());
        ASSERT_EQ(Decision::Accepted, frame.HandlePurchaseRequest(1, kNewPurchase.Get()));
        ASSERT_EQ(Decision::Accepted, frame.HandlePurchaseRequest(2, kResume.Get()));
        frame.facade->OnPurchaseItemFinished(6, IapLib::STATUS_SUCCESS, IapPurchasedItemInformation());
        ASSERT_EQ(1u, frame.facade->sent.size());
        EXPECT_EQ(2, frame.facade->sent[0].requestId);
        EXPECT_EQ("6", frame.facade->sent[0].extra["_transactionId"]);
        const Extra another{{L"_transactionId", L"9"}, {L"_itemId", L"8"}, {L"_itemGroupId", L"1"}};
        EXPECT_EQ(Decision::Accepted, frame.HandlePurchaseRequest(3, another.Get()));
        EXPECT_EQ(Mode::NewPurchase, frame.GetRequestMode());
        EXPECT_EQ(String(L"8"), frame.facade->item.GetItemId());
        EXPECT_EQ(9, frame.facade->transactionId);
    });
}

TEST(IapClientFrameTest, AnotherOperationIsRefusedAndEndsBuyclientOnlyWhenNothingRuns) {
    RunInApp([](ProbeFrame& frame) {
        ASSERT_EQ(E_SUCCESS, frame.Construct());
        const String other(L"http://vexmora.com/appcontrol/operation/iap/get_item_list");
        const String purchase(L"http://vexmora.com/appcontrol/operation/iap/purchase");
        frame.OnAppControlRequestReceived(1, other, nullptr, nullptr, kNewPurchase.Get());
        EXPECT_EQ(std::vector<App::RequestId>{1}, frame.refusals);
        EXPECT_EQ(1, frame.terminations);
        EXPECT_EQ(Mode::None, frame.GetRequestMode());

        frame.OnAppControlRequestReceived(2, purchase, nullptr, nullptr, kNewPurchase.Get());
        frame.OnAppControlRequestReceived(3, other, nullptr, nullptr, nullptr);
        EXPECT_EQ((std::vector<App::RequestId>{1, 3}), frame.refusals);
        EXPECT_EQ(1, frame.terminations);
        EXPECT_EQ(2, frame.facade->answerRequestId);
    });
}

TEST(IapClientFrameTest, ModeOverrideAndDeviceOverridesComeFromAcceptedRequests) {
    RunInApp([](ProbeFrame& frame) {
        ASSERT_EQ(E_SUCCESS, frame.Construct());
        IapSystemInfo& info = IapSystemInfo::GetInstance();
        info.mode = L"0";
        const Extra developer{{L"_transactionId", L"5"},
                              {L"_itemId", L"7"},
                              {L"_itemGroupId", L"1"},
                              {L"_mode", L"1"},
                              {L"_mcc", L"310"}};
        ASSERT_EQ(Decision::Accepted, frame.HandlePurchaseRequest(1, developer.Get()));
        EXPECT_EQ(String(L"1"), info.mode);
        EXPECT_EQ(String(L"310"), info.mcc);
        // A refused newcomer changes nothing.
        const Extra stranger{{L"_transactionId", L"5"},
                             {L"_itemId", L"7"},
                             {L"_itemGroupId", L"1"},
                             {L"_mode", L"yes"},
                             {L"_mcc", L"999"}};
        ASSERT_EQ(Decision::Refused, frame.HandlePurchaseRequest(2, stranger.Get()));
        EXPECT_EQ(String(L"1"), info.mode);
        EXPECT_EQ(String(L"310"), info.mcc);

        frame.HandleBogusSettings(Extra{{L"_mode", L"yes"}}.Get());
        EXPECT_EQ(String(L"0"), info.mode);
        frame.HandleBogusSettings(Extra{{L"_mcc", L"450"}}.Get());
        EXPECT_EQ(String(L"0"), info.mode);  // the last override stays
        info.mcc = L"450";
    });
}

TEST(IapClientFrameTest, OnlyCallersSignInBuyclientAndTheLockScreenMayComeToTheForeground) {
    RunInApp([](ProbeFrame& frame) {
        ASSERT_EQ(E_SUCCESS, frame.Construct());
        for (const String& appId : {String(), OblinAccount::oblinAccountAppId, App::App::GetInstance()->GetAppId(),
                                    String(L"com.vexmora.lockscreen")}) {
            frame.OnActiveAppChanged(appId);
        }
        EXPECT_EQ(0, frame.terminations);
        frame.OnActiveAppChanged(String(L"com.vexmora.home"));
        EXPECT_EQ(1, frame.terminations);
        EXPECT_EQ(IapLib::STATUS_CANCELED, frame.GetExitStatus());
        frame.SendTerminate(IapLib::STATUS_NETWORK_FAILURE);
        EXPECT_EQ(2, frame.terminations);
        EXPECT_EQ(IapLib::STATUS_NETWORK_FAILURE, frame.GetExitStatus());
    });
}

TEST(IapClientFrameTest, TheStartSceneOpensWhenTheFrameIsAddedAndResumeReachesThePurchaseScreen) {
    std::string scene;
    bool resumed = false;
    bool formsNamed = false;
    RunInApp([&](ProbeFrame& frame) {
        ASSERT_EQ(E_SUCCESS, frame.Construct());
        ASSERT_EQ(Decision::Accepted, frame.HandlePurchaseRequest(1, kNewPurchase.Get()));
        frame.SetName(L"client");
        ASSERT_EQ(E_SUCCESS, App::UiApp::GetInstance()->AddFrame(frame));
        Ui::Scenes::SceneManager* scenes = Ui::Scenes::SceneManager::GetInstance();
        scene = scenes->GetCurrentSceneId().ToUtf8();
        ASSERT_EQ(Decision::Accepted, frame.HandlePurchaseRequest(2, kResume.Get()));
        IapClientScenePurchase* purchase = frame.GetFormFactory()->GetPurchaseScreen();
        ASSERT_NE(nullptr, purchase);
        ASSERT_NE(nullptr, purchase->GetPrivate());
        resumed = purchase->GetPrivate()->HasCallerResumed();
        formsNamed = purchase->GetName() == L"purchase";
    });
    EXPECT_EQ("IDS_SCENE_PURCHASE", scene);
    EXPECT_TRUE(resumed);
    EXPECT_TRUE(formsNamed);
}

TEST(IapClientFrameTest, FactoryBuildsTheKnownFormsOnlyAndForgetsADeletedPurchaseScreen) {
    RunInApp([](ProbeFrame& frame) {
        ASSERT_EQ(E_SUCCESS, frame.Construct());
        IapClientFormFactory& factory = *frame.GetFormFactory();
        EXPECT_EQ(nullptr, factory.CreateFormN(L"IDF_FORM_UNKNOWN", L"IDS_SCENE_PURCHASE"));
        // Start before a start scene was chosen: the scene manager's refusal.
        EXPECT_NE(E_SUCCESS, factory.Start());
        for (const IapClientScenes::Scene& scene : IapClientScenes::kScenes) {
            if (String(scene.formId) == IapClientScenes::kFormPurchase) continue;
            std::unique_ptr<Ui::Controls::Form> form(factory.CreateFormN(scene.formId, scene.sceneId));
            EXPECT_NE(nullptr, form) << String(scene.formId).ToUtf8();
        }
        // The purchase screen needs the caller's transaction id.
        EXPECT_EQ(nullptr, factory.CreateFormN(IapClientScenes::kFormPurchase, IapClientScenes::kScenePurchase));
        frame.facade->transactionId = 3;
        Ui::Controls::Form* purchase =
            factory.CreateFormN(IapClientScenes::kFormPurchase, IapClientScenes::kScenePurchase);
        ASSERT_NE(nullptr, purchase);
        EXPECT_EQ(purchase, factory.GetPurchaseScreen());
        delete purchase;
        EXPECT_EQ(nullptr, factory.GetPurchaseScreen());
        factory.EasyBuyPurchaseItemFinish();  // nothing to reach, nothing happens
    });
}

}  // namespace
