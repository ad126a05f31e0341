// Offscreen cost of the platform's popup, message box and menu: building one,
// showing it, and drawing it into a picture; and of the font metrics that
// labels and buttons size themselves with.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>

#include "platform/ui/Button.h"
#include "platform/ui/ContextMenu.h"
#include "platform/ui/ControlPrivate.h"
#include "platform/ui/Font.h"
#include "platform/ui/Label.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Popup.h"
#include "platform/ui/UiEnvironment.h"

using namespace Vx;
using namespace Vx::Ui::Controls;

namespace {

void BuildPopup(Popup& popup) {
    popup.Construct(true, {600, 450});
    popup.SetTitleText(L"Confirm password");
    for (int i = 0; i < 3; ++i) {
        auto* label = new Label();
        label->Construct({45, 10 + 70 * i, 520, 66}, L"Caption");
        popup.AddControl(label);
    }
    auto* ok = new Button();
    ok->Construct({24, 256, 255, 74}, L"OK");
    popup.AddControl(ok);
}

void BM_PopupConstructAndShow(benchmark::State& state) {
    for (auto _ : state) {
        Popup popup;
        BuildPopup(popup);
        popup.SetShowState(true);
        popup.Show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(popup.IsVisible());
    }
}
BENCHMARK(BM_PopupConstructAndShow)->Unit(benchmark::kMillisecond);

void BM_PopupDraw(benchmark::State& state) {
    Popup popup;
    BuildPopup(popup);
    for (auto _ : state)
        benchmark::DoNotOptimize(popup.GetPrivate().widget->grab());
}
BENCHMARK(BM_PopupDraw)->Unit(benchmark::kMillisecond);

void BM_MessageBoxConstruct(benchmark::State& state) {
    for (auto _ : state) {
        MessageBox box;
        box.Construct(L"Error", L"The purchase request could not be sent.", MSGBOX_STYLE_OK, 0);
        benchmark::DoNotOptimize(box.IsConstructed());
    }
}
BENCHMARK(BM_MessageBoxConstruct)->Unit(benchmark::kMillisecond);

void BM_ContextMenuWithTwentyItems(benchmark::State& state) {
    for (auto _ : state) {
        ContextMenu menu;
        menu.Construct({90, 0});
        for (int i = 0; i < 20; ++i)
            menu.AddItem(L"Carrier", 1101 + i);
        benchmark::DoNotOptimize(menu.GetMenuBounds());
    }
}
BENCHMARK(BM_ContextMenuWithTwentyItems)->Unit(benchmark::kMillisecond);

void BM_FontConstructAndMeasure(benchmark::State& state) {
    for (auto _ : state) {
        Graphics::Font font;
        font.Construct(Graphics::FONT_STYLE_PLAIN, 35);
        Graphics::Dimension dim;
        font.GetTextExtent(L"MasterCard, Visa and Visa Electron", -1, dim);
        benchmark::DoNotOptimize(dim.width + font.GetAscender() + font.GetDescender());
    }
}
BENCHMARK(BM_FontConstructAndMeasure)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    Ui::EnsureUiApplication();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
