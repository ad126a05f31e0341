// A UI application for the application-control tests: shows one window and
// answers "show" with what it sees (_visible, _platform, _title), then ends.
#include <QGuiApplication>
#include <QLabel>

#include "platform/app/AppControlProviderManager.h"
#include "platform/app/IAppControlProviderEventListener.h"
#include "platform/app/IAppFrame.h"
#include "platform/app/UiApp.h"
#include "platform/base/HashMap.h"

using namespace Vx;
using namespace Vx::App;
using Vx::Base::String;
using Vx::Base::Collection::ElementOwnership;
using Vx::Base::Collection::HashMap;
using Vx::Base::Collection::IMap;

namespace {

class TestFrame : public IAppFrame {
public:
    result OnAppFrameAdded() override {
        label_.setText("Vexmora");
        label_.setWindowTitle("test frame");
        label_.resize(320, 200);
        label_.show();
        return E_SUCCESS;
    }
    void OnAppFrameRemoving() override { label_.close(); }
    const QLabel& GetWidget() const { return label_; }

private:
    QLabel label_;
};

class TestUiApp : public UiApp, public IAppControlProviderEventListener {
public:
    static UiApp* CreateInstance() { return new TestUiApp(); }

    bool OnAppInitializing(AppRegistry&) override {
        return AppControlProviderManager::GetInstance()->SetAppControlProviderEventListener(this) == E_SUCCESS;
    }
    bool OnAppInitialized() override {
        auto* frame = new TestFrame();
        if (AddFrame(*frame) != E_SUCCESS) {
            delete frame;
            return false;
        }
        // Answered from the loop, once the application is fully up.
        if (pending_ != INVALID_REQUEST_ID)
            QMetaObject::invokeMethod(
                qApp, [this] { Answer(); }, Qt::QueuedConnection);
        return true;
    }

    void OnAppControlRequestReceived(RequestId reqId, const String&, const String*, const String*,
                                     const IMap*) override {
        // The launching request arrives before OnAppInitialized adds the frame.
        pending_ = reqId;
        if (GetAppFrame()) Answer();
    }

private:
    void Answer() {
        auto* frame = dynamic_cast<TestFrame*>(GetAppFrame());
        HashMap answer(ElementOwnership::Owned);
        answer.Add(new String(L"_visible"), new String(frame && frame->GetWidget().isVisible() ? L"1" : L"0"));
        answer.Add(new String(L"_platform"), new String(QGuiApplication::platformName().toUtf8().constData()));
        answer.Add(new String(L"_title"),
                   new String(frame ? frame->GetWidget().windowTitle().toUtf8().constData() : ""));
        AppControlProviderManager::GetInstance()->SendAppControlResult(pending_, APP_CTRL_RESULT_SUCCEEDED, &answer);
        Terminate();
    }

    RequestId pending_ = INVALID_REQUEST_ID;
};

}  // namespace

int main(int argc, char** argv) {
    Vx::Base::Collection::ArrayList args(ElementOwnership::Owned);
    args.Construct(argc);
    for (int i = 0; i < argc; ++i)
        args.Add(new String(argv[i]));
    return UiApp::Execute(TestUiApp::CreateInstance, &args) == E_SUCCESS ? 0 : 1;
}
