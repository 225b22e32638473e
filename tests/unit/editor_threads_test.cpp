// The editor's thread against the audio thread: while audio runs, the UI
// thread idles the editor, presses and drags in its frame, has its view draw
// on a context as paints do, and now and then reopens it. Run under
// ThreadSanitizer and AddressSanitizer. What the UI thread owns must stay its
// own (the dimmer advances exactly once per draw), and the values a draw
// shows must each be a whole result of the audio side.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "effects/nulltest/nulltest_effect.h"
#include "effects/tonegen/tonegen_effect.h"
#include "gui/editor/pluxview.h"
#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/frame.h"
#include "gui/toolkit/mouseevents.h"
#include "tests/unit/assembled_plugin.h"

namespace {

// Before the first audio frame 0, afterwards the editor's size.
bool wholeFrameSize(double width, double height, double editorWidth, double editorHeight) {
    return (width == 0.0 && height == 0.0) || (width == editorWidth && height == editorHeight);
}

bool wholeValues(const nulltest::TVexmoldEffect& fx) {
    // Identical inputs: 0 before the first window closes, then the null side.
    return (fx.shown.side.rmsDb == 0.0 || fx.shown.side.rmsDb == -400.0) &&
           wholeFrameSize(fx.shown.frameWidth, fx.shown.frameHeight, 500, 250);
}

bool wholeValues(const tonegen::TVexmoldEffect& fx) {
    return wholeFrameSize(fx.shown.frameWidth, fx.shown.frameHeight, 100, 100);
}

template <typename Effect> class EditorThreads : public ::testing::Test {};
using Effects = ::testing::Types<nulltest::TVexmoldEffect, tonegen::TVexmoldEffect>;
TYPED_TEST_SUITE(EditorThreads, Effects);

TYPED_TEST(EditorThreads, DrawsIdlesAndMouseWhileAudioRuns) {
    AssembledPlugin<TypeParam> p;
    p.start();
    ASSERT_EQ(p.dispatch(effEditOpen, 0, 0, nullptr), 1);
    const double width = p.editor()->getWidth(), height = p.editor()->getHeight();

    std::atomic<bool> running{true};
    std::atomic<int> blocks{0};
    std::thread audio([&] {
        while (running.load()) {
            p.processIdenticalInputs(512.0 / 44100.0);
            blocks.fetch_add(1);
        }
    });

    auto* context = new VSTGUI::COffscreenContext(nullptr, width, height);
    bool whole = true;
    double expectedPhase = 0.0;  // 0.07 per draw, wrapped at a full turn
    int draws = 0;
    for (; draws < 200 || blocks.load() < 100; ++draws) {
        p.dispatch(effEditIdle);
        VSTGUI::CFrame* frame = p.editor()->getFrame();
        VSTGUI::CPoint where(draws % 500, draws % 250);
        frame->onMouseDown(where, VSTGUI::kLButton);
        where.offset(3, 2);
        frame->onMouseMoved(where, VSTGUI::kLButton);
        frame->onMouseUp(where, 0);
        p.editor()->getView()->draw(context);
        expectedPhase += 0.07;
        if (expectedPhase >= 6.283185307179586)
            expectedPhase -= 6.283185307179586;
        whole = whole && wholeValues(*p.drawn());
        if (draws % 100 == 99) {  // and now and then a new editor
            p.dispatch(effEditClose);
            p.dispatch(effEditOpen, 0, 0, nullptr);
        }
    }
    const double phase = p.drawn()->vars.glowPhase;
    running.store(false);
    audio.join();
    EXPECT_TRUE(whole);
    EXPECT_DOUBLE_EQ(phase, expectedPhase) << "after " << draws << " draws";
    EXPECT_EQ(p.fx->mouseButtons, 0.0);
    // After the audio the last draw shows its final result.
    p.editor()->getView()->draw(context);
    context->forget();
    EXPECT_TRUE(wholeValues(*p.drawn()));
    EXPECT_EQ(p.drawn()->shown.frameWidth, width);
}

// The thread that opens the editor is its UI thread: an idle request from
// another one while the editor is open breaks what the editor expects, and
// debug and sanitizer builds stop there and say so.
TEST(EditorThreadsDeathTest, IdleFromAnotherThreadWhileOpenStopsTheProgram) {
#if defined(PLUX_CHECK_EXPECTATIONS)
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    AssembledPlugin<tonegen::TVexmoldEffect> p;
    p.start();
    ASSERT_EQ(p.dispatch(effEditOpen, 0, 0, nullptr), 1);
    p.dispatch(effEditIdle);  // the opening thread: fine
    EXPECT_DEATH(std::thread([&p] { p.dispatch(effEditIdle); }).join(),
                 "expectation failed: editor idle on the thread that opened the editor");
    p.dispatch(effEditClose);
    // Closed, the editor has no UI thread: idle from anywhere does nothing.
    std::thread([&p] { p.dispatch(effEditIdle); }).join();
#else
    GTEST_SKIP() << "expectations are checked in debug and sanitizer builds";
#endif
}

}  // namespace
