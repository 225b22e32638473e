// Cost of one full draw of the null-test panel: the graphics section through
// the draw binding into a 500 x 250 offscreen context, as a paint runs it,
// after an audio window so every line shows a measured value. The editor
// draws up to 30 times a second, a budget of 33 ms; the aim is 2 ms.
//   scripts/wine-run.sh build/win/bin/draw_bench.exe [draws]
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "effects/nulltest/nulltest_effect.h"
#include "gui/toolkit/drawcontext.h"
#include "shell/assembly.h"
#include "shell/plux.h"

namespace {

VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

VstIntPtr dispatch(AEffect* e, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                   void* ptr = nullptr, float opt = 0.0f) {
    return e->dispatcher(e, opcode, index, value, ptr, opt);
}

// 1.2 s of two slightly different sines: every group gets a real reading.
void processAudio(AEffect* e) {
    std::vector<float> left(512), right(512), outLeft(512), outRight(512);
    for (int done = 0; done < 52920; done += 512) {
        for (int i = 0; i < 512; ++i) {
            const double t = (done + i) / 44100.0;
            left[i] = static_cast<float>(0.5 * std::sin(6.283185307179586 * 997.0 * t));
            right[i] = left[i] * 0.999f;
        }
        float* in[2] = {left.data(), right.data()};
        float* out[2] = {outLeft.data(), outRight.data()};
        e->processReplacing(e, in, out, 512);
    }
}

double milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to,
                    const LARGE_INTEGER& frequency) {
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
    const int draws = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    constexpr int kWarmUp = 20;

    AEffect* effect = assemblePlugin(host, new nulltest::TVexmoldEffect);
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
    // What the script view does around the graphics section.
    auto drawOnce = [&] {
        plux->drawContext = context;
        plux->callbacks.draw(plux, 500.0, 250.0);
        plux->drawContext = nullptr;
    };
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
            plux->drawContext = onWindow;
            plux->callbacks.draw(plux, 500.0, 250.0);
            plux->drawContext = nullptr;
            QueryPerformanceCounter(&end);
            if (i >= kWarmUp)
                windowTimes.push_back(milliseconds(start, end, frequency));
        }
        onWindow->forget();
        ReleaseDC(window, deviceContext);
    }
    if (window)
        DestroyWindow(window);
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
    return 0;
}
