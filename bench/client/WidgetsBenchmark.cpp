// bench_client_widgets: what buyclient's popups and help scene cost to build
// and show offscreen (Google Benchmark, one case per piece), and the resident
// memory of a process holding buyclient's UI with every popup constructed
// (the counters rss_before_kb / rss_with_popups_kb of BM_AllPopupsResident).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "client/ui/CvcPopup.h"
#include "client/ui/IapClientSceneSecurityCodeHelp.h"
#include "client/ui/LoginConfirmPopup.h"
#include "client/ui/WaitingPopup.h"
#include "client/ui/widgets/IapPopup.h"
#include "client/ui/widgets/IapUiHelper.h"
#include "platform/app/EventLoop.h"
#include "platform/ui/Button.h"
#include "platform/ui/Frame.h"
#include "platform/ui/Label.h"
#include "platform/ui/UiEnvironment.h"

using namespace Vx;
using namespace Vx::Ui::Controls;

namespace {

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kb = 0;
            status >> kb;
            return kb;
        }
        std::string rest;
        std::getline(status, rest);
    }
    return -1;
}

// Draws what is shown once, as the first frame on screen would.
void Settle() {
    App::EventLoop::RunUntil([] { return false; }, 0);
}

void BM_LoginConfirmPopup(benchmark::State& state) {
    for (auto _ : state) {
        LoginConfirmPopup popup;
        popup.Construct(nullptr);
        popup.SetId(L"anna@example.com");
        popup.PopupShow();
        Settle();
        popup.PopupHide();
    }
}
BENCHMARK(BM_LoginConfirmPopup)->Unit(benchmark::kMillisecond);

void BM_CvcPopup(benchmark::State& state) {
    for (auto _ : state) {
        CvcPopup popup;
        popup.Construct(nullptr);
        popup.PopupShow();
        Settle();
        popup.PopupHide();
    }
}
BENCHMARK(BM_CvcPopup)->Unit(benchmark::kMillisecond);

void BM_WaitingPopup(benchmark::State& state) {
    for (auto _ : state) {
        WaitingPopup popup;
        popup.Construct();
        popup.PopupShow();
        Settle();
        popup.PopupHide();
    }
}
BENCHMARK(BM_WaitingPopup)->Unit(benchmark::kMillisecond);

// The question popup as DlgEngine builds it, without its modal loop.
void BM_QuestionPopup(benchmark::State& state) {
    for (auto _ : state) {
        IapPopup popup;
        popup.Construct(2, 2, true, 630);
        popup.SetTitleText(L"Phone bill");
        popup.AddControl(IapUiHelper::CreateTextBoxN(L"Purchase with a different phone number?", 2,
                                                     IapUiHelper::FONT_SIZE_MEDIUM, TEXT_BOX_BORDER_NONE),
                         0, 0, 1, 2);
        popup.AddControl(IapUiHelper::CreateButtonN(L"Yes", 1, nullptr), 1, 0);
        popup.AddControl(IapUiHelper::CreateButtonN(L"No", 2, nullptr), 1, 1);
        popup.SetAllColumnsStretchable(true);
        popup.AdjustSize();
        popup.SetShowState(true);
        popup.Show();
        Settle();
    }
}
BENCHMARK(BM_QuestionPopup)->Unit(benchmark::kMillisecond);

void BM_SecurityCodeHelpScene(benchmark::State& state) {
    Frame frame;
    frame.Construct();
    for (auto _ : state) {
        auto* help = new IapClientSceneSecurityCodeHelp();
        help->Construct();
        frame.AddControl(help);
        frame.SetCurrentForm(help);
        Settle();
        frame.RemoveControl(help);
    }
}
BENCHMARK(BM_SecurityCodeHelpScene)->Unit(benchmark::kMillisecond);

void BM_AllPopupsResident(benchmark::State& state) {
    const long before = ResidentKb();
    long with = before;
    for (auto _ : state) {
        LoginConfirmPopup login;
        login.Construct(nullptr);
        CvcPopup cvc;
        cvc.Construct(nullptr);
        auto waiting = std::make_unique<WaitingPopup>();
        waiting->Construct();
        Frame frame;
        frame.Construct();
        auto* help = new IapClientSceneSecurityCodeHelp();
        help->Construct();
        frame.AddControl(help);
        Settle();
        with = ResidentKb();
    }
    state.counters["rss_before_kb"] = static_cast<double>(before);
    state.counters["rss_with_popups_kb"] = static_cast<double>(with);
}
BENCHMARK(BM_AllPopupsResident)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::string home = (std::filesystem::temp_directory_path() / "bench-widgets-XXXXXX").string();
    if (::mkdtemp(home.data())) ::setenv("IAP_PLATFORM_HOME", home.c_str(), 1);
    Ui::EnsureUiApplication();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    return 0;
}
