// Cost of drawing the null-test panel. First one full draw: the graphics
// section through the draw binding into a 500 x 250 offscreen context and
// onto a window's device context, after an audio window so every line shows
// a measured value. Then the open editor's redraws as the pacing asks for
// them, each with the paint it causes: the section recorded, compared with
// the last recording, the changed areas drawn into the frame's buffer and
// shown in the window. In the steady state only the dimmer over the logo
// changes; after a new audio window all eight values change too.
//   scripts/wine-run.sh build/win/bin/draw_bench.exe [draws]
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "effects/nulltest/nulltest_effect.h"
#include "gui/editor/pluxeditor.h"
#include "gui/editor/pluxview.h"
#include "gui/toolkit/drawcontext.h"
#include "plugin/assembly.h"
#include "shell/plux.h"
#include "bench/panel_audio.h"
#include "tests/support/minimal_host.h"

namespace {

using drawbench::dispatch;
using drawbench::processAudio;
using plux::testing_support::minimalHost;

double milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to,
                    const LARGE_INTEGER& frequency) {
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

struct Summary {
    double median = 0;
    double p95 = 0;
};

Summary summarise(std::vector<double> times) {
    Summary s;
    if (times.empty())
        return s;
    std::sort(times.begin(), times.end());
    s.median = times[times.size() / 2];
    s.p95 = times[static_cast<size_t>(std::ceil(0.95 * static_cast<double>(times.size()))) - 1];
    return s;
}

// The editor open in a window of its own, redrawn as the pacing does it:
// the time of each redraw with the paint that may follow it, of the redraw
// alone, and the area it drew.
struct RedrawRun {
    std::vector<double> times;
    std::vector<double> recordTimes;
    double damagedArea = 0;
    int partial = 0;
};

RedrawRun timeRedraws(AEffect* effect, int redraws, bool newValuesEachTime,
                      const LARGE_INTEGER& frequency) {
    RedrawRun run;
    HWND host = CreateWindowExW(0, L"STATIC", L"draw_bench host", WS_POPUP | WS_VISIBLE, 0, 0, 500,
                                250, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!host || dispatch(effect, effEditOpen, 0, 0, host) != 1)
        return run;
    HWND window = GetWindow(host, GW_CHILD);
    UpdateWindow(window);  // the first paint draws the whole buffer
    auto* plux = static_cast<CPlux*>(effect->object);
    auto* editor = static_cast<CPluxEditor*>(plux->getEditor());
    CPluxView* view = editor ? editor->getView() : nullptr;
    for (int i = 0; view && i < redraws; ++i) {
        if (newValuesEachTime)
            processAudio(effect);
        LARGE_INTEGER start, recorded, end;
        QueryPerformanceCounter(&start);
        view->redraw();
        QueryPerformanceCounter(&recorded);
        UpdateWindow(window);
        QueryPerformanceCounter(&end);
        run.times.push_back(milliseconds(start, end, frequency));
        run.recordTimes.push_back(milliseconds(start, recorded, frequency));
        run.damagedArea += view->getLastDamage().area();
        run.partial += view->lastRedrawWasPartial() ? 1 : 0;
    }
    dispatch(effect, effEditClose);
    DestroyWindow(host);
    if (!run.times.empty())
        run.damagedArea /= static_cast<double>(run.times.size());
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    const int draws = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    constexpr int kWarmUp = 20;

    AEffect* effect = assemblePlugin(minimalHost, new nulltest::TVexmoldEffect);
    if (!effect) {
        std::fprintf(stderr, "draw_bench: no instance\n");
        return 1;
    }
    dispatch(effect, effOpen);
    dispatch(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
    dispatch(effect, effSetBlockSize, 0, 512);
    dispatch(effect, effMainsChanged, 0, 1);
    processAudio(effect);

    auto* plux = static_cast<CPlux*>(effect->object);
    auto* context = new VSTGUI::COffscreenContext(nullptr, 500, 250);
    // What the script view does: the graphics section on its context.
    auto drawOnce = [&] { plux->drawGraphics(context, 500.0, 250.0); };
    // The first draws load the pictures and create the fonts.
    for (int i = 0; i < kWarmUp; ++i)
        drawOnce();

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    times.reserve(static_cast<size_t>(draws));
    for (int i = 0; i < draws; ++i) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        drawOnce();
        QueryPerformanceCounter(&end);
        times.push_back(milliseconds(start, end, frequency));
    }
    context->forget();

    // The same draws on a window's device context, the surface a paint uses
    // on current systems.
    HWND window = CreateWindowExW(0, L"STATIC", L"draw_bench", WS_POPUP, 0, 0, 500, 250, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    HDC deviceContext = window ? GetDC(window) : nullptr;
    std::vector<double> windowTimes;
    if (deviceContext) {
        auto* onWindow = new VSTGUI::CDrawContext(nullptr, deviceContext, nullptr);
        for (int i = 0; i < kWarmUp + draws; ++i) {
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            plux->drawGraphics(onWindow, 500.0, 250.0);
            QueryPerformanceCounter(&end);
            if (i >= kWarmUp)
                windowTimes.push_back(milliseconds(start, end, frequency));
        }
        onWindow->forget();
        ReleaseDC(window, deviceContext);
    }
    if (window)
        DestroyWindow(window);

    const RedrawRun steady = timeRedraws(effect, draws, false, frequency);
    const RedrawRun changing = timeRedraws(effect, std::max(1, draws / 4), true, frequency);
    dispatch(effect, effMainsChanged, 0, 0);
    dispatch(effect, effClose);

    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    const size_t p95Index =
        static_cast<size_t>(std::ceil(0.95 * static_cast<double>(times.size()))) - 1;
    std::printf(
        "nulltest panel, full draw into a 500 x 250 offscreen context, %d draws after %d:\n"
        "  median %.3f ms, p95 %.3f ms, min %.3f ms, max %.3f ms (aim 2 ms, budget 33 ms)\n",
        draws, kWarmUp, median, times[p95Index], times.front(), times.back());
    if (!windowTimes.empty()) {
        std::sort(windowTimes.begin(), windowTimes.end());
        std::printf("the same on a window's device context:\n  median %.3f ms, p95 %.3f ms\n",
                    windowTimes[windowTimes.size() / 2], windowTimes[p95Index]);
    }
    const Summary steadyTimes = summarise(steady.times);
    const Summary changingTimes = summarise(changing.times);
    std::printf("open editor, redraw as paced with its paint (%zu redraws, %d compared):\n"
                "  only the dimmer changes: median %.3f ms (%.3f ms before any paint), p95 %.3f ms,"
                " %.0f pixels drawn; at 30 redraws a second %.2f %% of one core\n",
                steady.times.size(), steady.partial, steadyTimes.median,
                summarise(steady.recordTimes).median, steadyTimes.p95, steady.damagedArea,
                steadyTimes.median * 30.0 / 10.0);
    std::printf("  all eight values change: median %.3f ms (%.3f ms before any paint), p95 %.3f ms,"
                " %.0f pixels drawn\n",
                changingTimes.median, summarise(changing.recordTimes).median, changingTimes.p95,
                changing.damagedArea);
    return 0;
}
