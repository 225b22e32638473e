// Cost of drawing the null-test panel natively, with cairo: one full draw of
// the graphics section into a 500 x 250 offscreen context, and the open
// editor's redraws in an X window as the pacing asks for them (the section
// recorded and compared, the changed areas drawn into the frame's kept
// buffer and copied to the window). In the steady state only the dimmer over
// the logo changes; after a new audio window all eight values change too.
// Needs a display: xvfb-run -a build/native/bin/draw_bench
#include <benchmark/benchmark.h>

#include <X11/Xlib.h>

#include <cmath>
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

// A started null-test instance that has measured a window of audio.
struct Instance {
    AEffect* effect = assemblePlugin(minimalHost, new nulltest::TVexmoldEffect);
    Instance() {
        dispatch(effect, effOpen);
        dispatch(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
        dispatch(effect, effSetBlockSize, 0, 512);
        dispatch(effect, effMainsChanged, 0, 1);
        processAudio(effect);
    }
    ~Instance() {
        dispatch(effect, effMainsChanged, 0, 0);
        dispatch(effect, effClose);
    }
    CPlux* plux() const { return static_cast<CPlux*>(effect->object); }
};

void fullDrawOffscreen(benchmark::State& state) {
    Instance instance;
    auto* context = new VSTGUI::COffscreenContext(nullptr, 500, 250);
    CPlux* plux = instance.plux();
    for (auto _ : state) {
        plux->drawGraphics(context, 500.0, 250.0);
    }
    context->forget();
}
BENCHMARK(fullDrawOffscreen)->Unit(benchmark::kMillisecond);

// The editor open in a host window of its own; each iteration is one paced
// redraw with the copy to the window it makes.
void redraws(benchmark::State& state, bool newValues) {
    // One host connection for every run of the benchmark.
    static Display* display = XOpenDisplay(nullptr);
    if (!display) {
        state.SkipWithError("no X display");
        return;
    }
    const Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 500, 250, 0, 0, 0);
    XMapWindow(display, window);
    XSync(display, False);
    {
        Instance instance;
        dispatch(instance.effect, effEditOpen, 0, 0,
                 reinterpret_cast<void*>(static_cast<uintptr_t>(window)));
        for (int i = 0; i < 5; ++i)
            dispatch(instance.effect, effEditIdle);  // maps, exposes and draws whole
        auto* editor = static_cast<CPluxEditor*>(instance.plux()->getEditor());
        CPluxView* view = editor ? editor->getView() : nullptr;
        double pixels = 0;
        for (auto _ : state) {
            if (!view)
                break;
            if (newValues) {
                state.PauseTiming();
                processAudio(instance.effect);
                state.ResumeTiming();
            }
            view->redraw();
            pixels += view->getLastDamage().area();
        }
        if (!view)
            state.SkipWithError("the editor did not open");
        state.counters["pixels"] = benchmark::Counter(pixels, benchmark::Counter::kAvgIterations);
        dispatch(instance.effect, effEditClose);
    }
    XDestroyWindow(display, window);
    XSync(display, False);
}
BENCHMARK_CAPTURE(redraws, onlyTheDimmer, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(redraws, allEightValues, true)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
