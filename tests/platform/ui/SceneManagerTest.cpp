#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/app/EventLoop.h"
#include "platform/ui/UiEnvironment.h"
#include "platform/ui/scenes/SceneManagerPrivate.h"
#include "tests/platform/ui/SceneTestSupport.h"

using namespace Vx;
using namespace Vx::Ui::Scenes;
using namespace SceneTest;
using Vx::Base::Boolean;
using Vx::Base::Collection::ElementOwnership;
using Vx::Ui::Controls::Frame;
using Lines = std::vector<std::string>;

namespace {

class SceneManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Ui::EnsureUiApplication());
        ASSERT_EQ(frame_.Construct(), E_SUCCESS);
        ASSERT_EQ(frame_.Activate(), E_SUCCESS);
        manager_ = SceneManagerPrivate::CreateForFrame(frame_);
        factory_ = std::make_unique<LoggingFactory>(log_, *manager_);
        ASSERT_EQ(manager_->RegisterFormFactory(*factory_), E_SUCCESS);
        for (const wchar_t* id : {L"A", L"B", L"C"}) {
            ASSERT_EQ(manager_->RegisterScene(id, String(L"F") + String(id), L""), E_SUCCESS);
        }
        ASSERT_EQ(manager_->RegisterScene(L"N", L"none", L""), E_SUCCESS);
    }

    result Forward(const wchar_t* to, SceneHistoryOption history = SCENE_HISTORY_OPTION_ADD_HISTORY,
                   SceneDestroyOption destroy = SCENE_DESTROY_OPTION_KEEP, ArrayList* args = nullptr) {
        return manager_->GoForward(ForwardSceneTransition(to, SCENE_TRANSITION_ANIMATION_TYPE_LEFT, history, destroy),
                                   args);
    }
    result Back(SceneDestroyOption destroy = SCENE_DESTROY_OPTION_DESTROY, ArrayList* args = nullptr) {
        return manager_->GoBackward(BackwardSceneTransition(SCENE_TRANSITION_ANIMATION_TYPE_RIGHT, destroy), args);
    }
    // Lets the forms that were left with the destroy option go.
    void Settle() { App::EventLoop::ProcessEvents(); }
    Lines History() const {
        Lines out;
        for (int i = 0; i < manager_->GetHistoryCount(); ++i)
            out.push_back(U8(manager_->GetHistorySceneId(i)));
        return out;
    }
    std::string Current() const { return U8(manager_->GetCurrentSceneId()); }

    Log log_;  // outlives the frame, whose forms write into it when they go
    Frame frame_;
    std::unique_ptr<SceneManager> manager_;
    std::unique_ptr<LoggingFactory> factory_;
};

TEST_F(SceneManagerTest, FormsAreBuiltOnFirstEntryJoinTheFrameAndAreKept) {
    EXPECT_TRUE(log_.lines.empty());
    EXPECT_EQ(manager_->GetCurrentForm(), nullptr);
    EXPECT_EQ(Current(), "");

    ASSERT_EQ(Forward(L"A"), E_SUCCESS);
    Form* a = manager_->GetForm(L"A");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->GetParent(), &frame_);
    EXPECT_EQ(frame_.GetCurrentForm(), a);
    EXPECT_EQ(manager_->GetCurrentForm(), a);
    EXPECT_EQ(manager_->GetForm(L"B"), nullptr);

    ASSERT_EQ(Forward(L"B"), E_SUCCESS);
    ASSERT_EQ(Back(SCENE_DESTROY_OPTION_KEEP), E_SUCCESS);
    ASSERT_EQ(Forward(L"B"), E_SUCCESS);
    Settle();
    EXPECT_EQ(manager_->GetForm(L"A"), a);
    EXPECT_EQ(frame_.GetControlCount(), 2);
    EXPECT_EQ(std::count(log_.lines.begin(), log_.lines.end(), "create A"), 1);
    EXPECT_EQ(std::count(log_.lines.begin(), log_.lines.end(), "create B"), 1);
    EXPECT_EQ(log_.deleted, 0);
}

TEST_F(SceneManagerTest, AMoveBuildsThenDeactivatesThenShowsThenActivatesThenDestroys) {
    ASSERT_EQ(Forward(L"A"), E_SUCCESS);
    log_.lines.clear();
    ASSERT_EQ(Forward(L"B", SCENE_HISTORY_OPTION_ADD_HISTORY, SCENE_DESTROY_OPTION_DESTROY), E_SUCCESS);
    // A leaves the screen at once; it is deleted once the current event is done.
    EXPECT_EQ(manager_->GetForm(L"A"), nullptr);
    Settle();
    EXPECT_EQ(log_.lines, (Lines{"create B", "deactivated A->B shown", "activated A->B shown", "deleted A"}));
}

TEST_F(SceneManagerTest, TheFirstSceneIsActivatedFromNoScene) {
    ASSERT_EQ(Forward(L"A"), E_SUCCESS);
    EXPECT_EQ(log_.lines, (Lines{"create A", "activated ->A shown"}));
    EXPECT_TRUE(History().empty());
}

TEST_F(SceneManagerTest, HistoryLeadsBackwardUntilThereIsNoPreviousScene) {
    ASSERT_EQ(Forward(L"A"), E_SUCCESS);
    ASSERT_EQ(Forward(L"B"), E_SUCCESS);
    ASSERT_EQ(Forward(L"C"), E_SUCCESS);
    EXPECT_EQ(History(), (Lines{"A", "B"}));

    ASSERT_EQ(Back(), E_SUCCESS);
    EXPECT_EQ(Current(), "B");
    EXPECT_EQ(History(), (Lines{"A"}));
    ASSERT_EQ(Back(), E_SUCCESS);
    EXPECT_EQ(Current(), "A");

    auto* args = new ArrayList(ElementOwnership::Owned);
    int deleted = 0;
    args->Add(new CountedObject(deleted));
    log_.lines.clear();
    EXPECT_EQ(Back(SCENE_DESTROY_OPTION_DESTROY, args), E_INVALID_STATE);
    EXPECT_EQ(deleted, 1);  // the refused transition still took the list
    EXPECT_EQ(Current(), "A");
    EXPECT_EQ(manager_->GetCurrentForm(), frame_.GetCurrentForm());
    EXPECT_TRUE(log_.lines.empty());
}

TEST_F(SceneManagerTest, NoHistoryLeavesTheSceneOutOfTheWayBack) {
    ASSERT_EQ(Forward(L"A"), E_SUCCESS);
    ASSERT_EQ(Forward(L"B"), E_SUCCESS);
    ASSERT_EQ(Forward(L"C", SCENE_HISTORY_OPTION_NO_HISTORY), E_SUCCESS);
    EXPECT_EQ(History(), (Lines{"A"}));
    ASSERT_EQ(Back(), E_SUCCESS);
    EXPECT_EQ(Current(), "A");
    EXPECT_EQ(Back(), E_INVALID_STATE);
}

TEST_F(SceneManagerTest, DestroyOptionDecidesWhetherTheLeftFormIsBuiltAgain) {
    ASSERT_EQ(Forward(L"A"), E_SUCCESS);
    ASSERT_EQ(Forward(L"B", SCENE_HISTORY_OPTION_ADD_HISTORY, SCENE_DESTROY_OPTION_DESTROY), E_SUCCESS);
    Settle();
    EXPECT_EQ(log_.deleted, 1);
    EXPECT_EQ(frame_.GetControlCount(), 1);

    // Backward destroys by default: B goes, A is built again.
    ASSERT_EQ(Back(), E_SUCCESS);
    Settle();
    EXPECT_EQ(log_.deleted, 2);
    EXPECT_EQ(std::count(log_.lines.begin(), log_.lines.end(), "create A"), 2);
    EXPECT_EQ(manager_->GetForm(L"B"), nullptr);

    // Kept on the way back: B's form stays for the next visit.
    ASSERT_EQ(Forward(L"B"), E_SUCCESS);
    Form* b = manager_->GetForm(L"B");
    ASSERT_EQ(Back(SCENE_DESTROY_OPTION_KEEP), E_SUCCESS);
    Settle();
    EXPECT_EQ(manager_->GetForm(L"B"), b);
    EXPECT_FALSE(b->IsVisible());
    EXPECT_EQ(log_.deleted, 2);
}

TEST_F(SceneManagerTest, ArgumentsGoToTheFirstListenerOnly) {
    ASSERT_EQ(Forward(L"A"), E_SUCCESS);
    // Registered before B's form exists, so before the form's own registration.
    struct First : ISceneEventListener {
        void OnSceneActivatedN(const SceneId&, const SceneId&, ArrayList* pArgs) override { kept.reset(pArgs); }
        void OnSceneDeactivated(const SceneId&, const SceneId&) override {}
        std::unique_ptr<ArrayList> kept;
    } first;
    ASSERT_EQ(manager_->AddSceneEventListener(L"B", first), E_SUCCESS);
    int deleted = 0;
    auto* args = new ArrayList(ElementOwnership::Owned);
    args->Add(new CountedObject(deleted));
    args->Add(new Boolean(true));
    log_.lines.clear();
    ASSERT_EQ(Forward(L"B", SCENE_HISTORY_OPTION_ADD_HISTORY, SCENE_DESTROY_OPTION_KEEP, args), E_SUCCESS);
    EXPECT_EQ(first.kept.get(), args);
    EXPECT_EQ(log_.lines.back(), "activated A->B shown");  // the form got no list
    EXPECT_EQ(deleted, 0);
    first.kept.reset();
    EXPECT_EQ(deleted, 1);  // an owning list frees its elements with itself
    EXPECT_EQ(manager_->RemoveSceneEventListener(L"B", first), E_SUCCESS);
}

// Keeps the list it receives, as a scene that reads it later would.
struct Keeper : ISceneEventListener {
    void OnSceneActivatedN(const SceneId&, const SceneId&, ArrayList* pArgs) override { kept.reset(pArgs); }
    void OnSceneDeactivated(const SceneId&, const SceneId&) override {}
    std::unique_ptr<ArrayList> kept;
};

TEST_F(SceneManagerTest, TheListenerOwnsTheArgumentsAndUnclaimedOnesAreFreed) {
    Keeper keeper;
    ASSERT_EQ(manager_->RegisterScene(L"K", L"FK", L""), E_SUCCESS);
    ASSERT_EQ(manager_->AddSceneEventListener(L"K", keeper), E_SUCCESS);
    // "K"'s form is built by the factory, which adds the form as second listener.
    int deleted = 0;
    auto* args = new ArrayList(ElementOwnership::Owned);
    args->Add(new CountedObject(deleted));
    ASSERT_EQ(Forward(L"K", SCENE_HISTORY_OPTION_ADD_HISTORY, SCENE_DESTROY_OPTION_KEEP, args), E_SUCCESS);
    ASSERT_NE(keeper.kept, nullptr);
    EXPECT_EQ(keeper.kept.get(), args);
    EXPECT_EQ(deleted, 0);
    keeper.kept.reset();
    EXPECT_EQ(deleted, 1);

    // A scene nobody listens to: the list is freed (LeakSanitizer would say otherwise).
    ASSERT_EQ(manager_->RegisterScene(L"Q", L"none", L""), E_SUCCESS);
    auto* unclaimed = new ArrayList(ElementOwnership::Owned);
    unclaimed->Add(new CountedObject(deleted));
    EXPECT_EQ(Forward(L"Q", SCENE_HISTORY_OPTION_ADD_HISTORY, SCENE_DESTROY_OPTION_KEEP, unclaimed), E_FAILURE);
    EXPECT_EQ(deleted, 2);
    auto* toUnknown = new ArrayList(ElementOwnership::Owned);
    toUnknown->Add(new CountedObject(deleted));
    EXPECT_EQ(Forward(L"nowhere", SCENE_HISTORY_OPTION_ADD_HISTORY, SCENE_DESTROY_OPTION_KEEP, toUnknown),
              E_OBJ_NOT_FOUND);
    EXPECT_EQ(deleted, 3);
}

TEST_F(SceneManagerTest, AFactoryWithoutAFormLeavesTheCurrentSceneAlone) {
    ASSERT_EQ(Forward(L"A"), E_SUCCESS);
    log_.lines.clear();
    EXPECT_EQ(Forward(L"N"), E_FAILURE);
    EXPECT_EQ(log_.lines, (Lines{"create N"}));  // nobody was told of a move that did not happen
    EXPECT_EQ(Current(), "A");
    EXPECT_TRUE(History().empty());
    EXPECT_TRUE(manager_->GetForm(L"A")->IsVisible());

    auto bare = SceneManagerPrivate::CreateForFrame(frame_);
    ASSERT_EQ(bare->RegisterScene(L"X", L"FX", L""), E_SUCCESS);
    EXPECT_EQ(bare->GoForward(ForwardSceneTransition(L"X")), E_INVALID_STATE);  // no factory
}

TEST_F(SceneManagerTest, RegistrationAndTargetsAreChecked) {
    Keeper keeper;
    EXPECT_EQ(manager_->RegisterScene(L"", L"F", L""), E_INVALID_ARG);
    EXPECT_EQ(manager_->RegisterScene(L"Z", L"", L""), E_INVALID_ARG);
    EXPECT_EQ(manager_->RegisterScene(L"A", L"FA", L""), E_OBJ_ALREADY_EXIST);
    EXPECT_EQ(manager_->AddSceneEventListener(L"nowhere", keeper), E_OBJ_NOT_FOUND);
    EXPECT_EQ(manager_->AddSceneEventListener(L"A", keeper), E_SUCCESS);
    EXPECT_EQ(manager_->AddSceneEventListener(L"A", keeper), E_OBJ_ALREADY_EXIST);
    EXPECT_EQ(manager_->RemoveSceneEventListener(L"B", keeper), E_OBJ_NOT_FOUND);
    EXPECT_EQ(manager_->RemoveSceneEventListener(L"A", keeper), E_SUCCESS);
    EXPECT_EQ(Forward(L""), E_OBJ_NOT_FOUND);
    ASSERT_EQ(Forward(L"A"), E_SUCCESS);
    EXPECT_EQ(Forward(L"A"), E_INVALID_ARG);          // already there
    EXPECT_EQ(SceneManager::GetInstance(), nullptr);  // no UI application runs in this test
}

TEST_F(SceneManagerTest, AMoveAskedForInsideACallbackRunsAfterTheCurrentOne) {
    ASSERT_EQ(Forward(L"A"), E_SUCCESS);
    ASSERT_EQ(Forward(L"B"), E_SUCCESS);
    ASSERT_EQ(Back(SCENE_DESTROY_OPTION_KEEP), E_SUCCESS);
    auto* b = static_cast<LoggingForm*>(manager_->GetForm(L"B"));
    result inner = E_FAILURE;
    result innerBack = E_FAILURE;
    bool movedOn = false;
    bool wentBack = false;
    b->onActivated = [&](const SceneId&) {
        if (!std::exchange(movedOn, true)) inner = Forward(L"C");
    };
    factory_->onCreated = [&](LoggingForm& c) {
        c.onActivated = [&](const SceneId&) {
            if (!std::exchange(wentBack, true)) innerBack = Back();
        };
    };
    log_.lines.clear();
    ASSERT_EQ(Forward(L"B"), E_SUCCESS);
    EXPECT_EQ(inner, E_SUCCESS);
    EXPECT_EQ(innerBack, E_SUCCESS);
    Settle();
    EXPECT_EQ(log_.lines,
              (Lines{"deactivated A->B shown", "activated A->B shown", "create C", "deactivated B->C shown",
                     "activated B->C shown", "deactivated C->B shown", "activated C->B shown", "deleted C"}));
    EXPECT_EQ(Current(), "B");
    EXPECT_EQ(History(), (Lines{"A"}));
}

TEST_F(SceneManagerTest, ABackwardAskedForWhileLeavingCountsTheSceneBeingLeft) {
    ASSERT_EQ(Forward(L"A"), E_SUCCESS);
    auto* a = static_cast<LoggingForm*>(manager_->GetForm(L"A"));
    result inner = E_FAILURE;
    // The history is still empty here, but the move under way puts A into it.
    int calls = 0;
    a->onDeactivated = [&](const SceneId&) {
        if (calls++ == 0) inner = Back();
    };
    ASSERT_EQ(Forward(L"B"), E_SUCCESS);
    EXPECT_EQ(inner, E_SUCCESS);
    EXPECT_EQ(Current(), "A");
    EXPECT_TRUE(History().empty());

    // With nothing to go back to, the refusal comes at once.
    calls = 0;
    ASSERT_EQ(Forward(L"C", SCENE_HISTORY_OPTION_NO_HISTORY), E_SUCCESS);
    EXPECT_EQ(inner, E_INVALID_STATE);
    EXPECT_EQ(Current(), "C");
}

TEST_F(SceneManagerTest, ListenersThatNeverStopMovingAreCutOff) {
    ASSERT_EQ(Forward(L"A"), E_SUCCESS);
    ASSERT_EQ(Forward(L"B"), E_SUCCESS);
    auto* a = static_cast<LoggingForm*>(manager_->GetForm(L"A"));
    auto* b = static_cast<LoggingForm*>(manager_->GetForm(L"B"));
    a->onActivated = [&](const SceneId&) { Forward(L"B", SCENE_HISTORY_OPTION_NO_HISTORY); };
    b->onActivated = [&](const SceneId&) { Forward(L"A", SCENE_HISTORY_OPTION_NO_HISTORY); };
    EXPECT_EQ(Forward(L"A", SCENE_HISTORY_OPTION_NO_HISTORY), E_SUCCESS);
    a->onActivated = nullptr;
    b->onActivated = nullptr;
    // It stopped; the manager still works.
    EXPECT_EQ(Forward(L"C"), E_SUCCESS);
    EXPECT_EQ(Current(), "C");
}

TEST_F(SceneManagerTest, AFormTakenDownByItsFrameIsForgottenAndBuiltAgain) {
    ASSERT_EQ(Forward(L"A"), E_SUCCESS);
    ASSERT_EQ(Forward(L"B"), E_SUCCESS);
    Form* a = manager_->GetForm(L"A");
    ASSERT_EQ(frame_.RemoveControl(a), E_SUCCESS);
    EXPECT_EQ(manager_->GetForm(L"A"), nullptr);
    log_.lines.clear();
    ASSERT_EQ(Back(), E_SUCCESS);  // the deleted form is no longer told anything
    Settle();
    EXPECT_EQ(log_.lines, (Lines{"create A", "deactivated B->A shown", "activated B->A shown", "deleted B"}));
}

}  // namespace
