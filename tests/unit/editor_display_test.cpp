// The editors of both effects assembled in-process as their DLLs assemble
// them, with the effect object at hand: the values the panels show, the
// dimmer's pulse, the missing pictures, the mouse through the frame and the
// redraw pacing against a test clock. The frames have no window here (no
// parent): the view is drawn on a context as a paint would draw it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "effects/nulltest/nulltest_effect.h"
#include "effects/tonegen/tonegen_effect.h"
#include "gui/editor/pluxview.h"
#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/frame.h"
#include "gui/toolkit/mouseevents.h"
#include "runtime/debuglog.h"
#include "runtime/paths.h"
#include "platform/platform.h"
#include "tests/support/plux_probe.h"
#include "tests/unit/assembled_plugin.h"

namespace fs = std::filesystem;
using VSTGUI::CPoint;

namespace {

constexpr double kFullTurn = 6.283185307179586;

// A paint of the open editor: the view draws on a context of the editor's
// size, as the frame's paint hands it one.
template <typename Effect> void paint(AssembledPlugin<Effect>& p) {
    CPluxEditor* editor = p.editor();
    auto* context = new VSTGUI::COffscreenContext(nullptr, editor->getWidth(), editor->getHeight());
    editor->getView()->draw(context);
    EXPECT_EQ(p.drawn()->activeDrawContext(), nullptr);  // the section's only while it runs
    context->forget();
}

TEST(EditorDisplay, NullTestShowsTheMeasuredValuesAndANullSide) {
    AssembledPlugin<nulltest::TVexmoldEffect> p;
    p.start();
    ASSERT_EQ(p.dispatch(effEditOpen, 0, 0, nullptr), 1);
    const nulltest::DisplayValues& shown = p.drawn()->shown;

    // Before the first window closes every line reads 0.00 dB (0 bits), and
    // before the first frame the red frame has no size.
    paint(p);
    EXPECT_EQ(shown.side.rmsDb, 0.0);
    EXPECT_EQ(shown.left.peakBits, 0.0);
    EXPECT_EQ(shown.frameWidth, 0.0);
    EXPECT_EQ(shown.versionDate, 20260721.0);

    // Identical inputs for more than one window (the default is 1 s).
    p.processIdenticalInputs(1.2);
    EXPECT_EQ(shown.side.rmsDb, 0.0);  // a copy, taken only by a draw
    paint(p);
    EXPECT_EQ(shown.side.rmsDb, -400.0);
    EXPECT_EQ(shown.side.peakDb, -400.0);
    EXPECT_EQ(std::ceil(shown.side.rmsBits), 67.0);
    EXPECT_EQ(std::ceil(shown.side.peakBits), 67.0);
    // The half-scale sine: -9.03 dB RMS (2 bits), -6.02 dB peak (1 bit).
    for (const nulltest::MeterReading* r : {&shown.left, &shown.right, &shown.mid}) {
        EXPECT_NEAR(r->rmsDb, -9.0309, 0.005);
        EXPECT_EQ(std::ceil(r->rmsBits), 2.0);
        EXPECT_NEAR(r->peakDb, -6.0206, 0.005);
    }
    EXPECT_EQ(shown.frameWidth, 500.0);
    EXPECT_EQ(shown.frameHeight, 250.0);
    EXPECT_EQ(p.drawn()->surfaceWidth, 500.0);
    EXPECT_EQ(p.drawn()->surfaceHeight, 250.0);
}

TEST(EditorDisplay, ToneGeneratorFrameFollowsTheFirstAudio) {
    AssembledPlugin<tonegen::TVexmoldEffect> p;
    p.start();
    ASSERT_EQ(p.dispatch(effEditOpen, 0, 0, nullptr), 1);
    paint(p);
    EXPECT_EQ(p.drawn()->shown.frameWidth, 0.0);
    EXPECT_EQ(p.drawn()->shown.versionDate, 20260720.0);
    p.processIdenticalInputs(0.01);
    paint(p);
    EXPECT_EQ(p.drawn()->shown.frameWidth, 100.0);
    EXPECT_EQ(p.drawn()->shown.frameHeight, 100.0);
    EXPECT_EQ(p.drawn()->surfaceWidth, 100.0);
}

// The dimmer over the logo: alpha 0.8 on the first draw, one step of 0.07 of
// the phase per draw (not per idle), wrapped after 90 draws.
template <typename Effect> void expectGlowPulse() {
    AssembledPlugin<Effect> p;
    p.start();
    ASSERT_EQ(p.dispatch(effEditOpen, 0, 0, nullptr), 1);
    auto& v = p.drawn()->vars;
    EXPECT_EQ(v.glowPhase, 0.0);
    paint(p);
    EXPECT_DOUBLE_EQ(v.glowAlpha, 0.8);
    EXPECT_DOUBLE_EQ(v.glowPhase, 0.07);
    for (int i = 0; i < 5; ++i)
        p.dispatch(effEditIdle);
    EXPECT_DOUBLE_EQ(v.glowPhase, 0.07);

    double lowest = 1.0;
    for (int draw = 2; draw <= 89; ++draw) {
        paint(p);
        lowest = std::min(lowest, v.glowAlpha);
    }
    EXPECT_NEAR(v.glowPhase, 89 * 0.07, 1e-9);  // 6.23: not yet a full turn
    EXPECT_NEAR(lowest, 0.2, 1e-3);             // 0.5 - 0.3 near phase pi
    paint(p);
    EXPECT_NEAR(v.glowPhase, 90 * 0.07 - kFullTurn, 1e-9);
    EXPECT_NEAR(v.glowAlpha, 0.5 + 0.3 * std::cos(89 * 0.07), 1e-9);
    paint(p);
    EXPECT_NEAR(v.glowAlpha, 0.5 + 0.3 * std::cos(90 * 0.07 - kFullTurn), 1e-9);
}

TEST(EditorDisplay, GlowPulsesOncePerDrawAndWrapsAfterNinetyDraws) {
    expectGlowPulse<nulltest::TVexmoldEffect>();
    expectGlowPulse<tonegen::TVexmoldEffect>();
}

std::string readText(const fs::path& path) {
    std::ifstream in(path);  // text mode: the log has the platform's line ends
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// This test program embeds no pictures and none lie next to it, so the
// effects' three image slots find neither resource nor file.
TEST(EditorDisplay, MissingPicturesAreLoggedOncePerSlotAndTheRestIsDrawn) {
    const fs::path log = fs::temp_directory_path() / "editor_display_test_log.txt";
    fs::remove(log);
    {
        AssembledPlugin<tonegen::TVexmoldEffect> p;
        vexmold::setDebugLogPath(log.string());
        p.start();
        ASSERT_EQ(p.dispatch(effEditOpen, 0, 0, nullptr), 1);
        p.fx->fileNames[7] = "KESTRAVON_NoSuchPicture.png";
        for (int i = 0; i < 3; ++i)
            paint(p);
        // The section never asks for slot 7; asked directly it is logged once too.
        TVexmoldGraphicsPass pass;
        pass.context = new VSTGUI::COffscreenContext(nullptr, 100, 100);
        {
            const CVexmoldPlux::GraphicsPassScope running(*p.fx, pass);
            EXPECT_FALSE(p.fx->drawImage(7));
            EXPECT_FALSE(p.fx->drawImage(7));
        }
        pass.context->forget();
        EXPECT_EQ(p.fx->imageWidth(7), 0.0);
        // The rest of the picture went on: the dimmer and the glow after it.
        EXPECT_DOUBLE_EQ(p.drawn()->vars.glowPhase, 3 * 0.07);
    }
    const std::string expected =
        "Unable to load: " + vexmold::resolvePath("KESTRAVON_LogoTealGlow.PNG") + "\n" +
        "Unable to load: " + vexmold::resolvePath("KESTRAVON_WebLinkText.png") + "\n" +
        "Unable to load: " +
        vexmold::resolvePath("KESTRAVON_LogoTealGlow_PluginTitle_997HzToneGenerator.png") + "\n" +
        "Unable to load: " + vexmold::resolvePath("KESTRAVON_NoSuchPicture.png") + "\n";
    EXPECT_EQ(readText(log), expected);
    fs::remove(log);
}

// ---------------------------------------------------------------------------
// The mouse through a frame without a window: the frame routes the events to
// the script view as its window procedure would.

TEST(EditorMouse, PressDragAndReleaseReachTheScript) {
    AssembledPlugin<nulltest::TVexmoldEffect> p;
    p.start();
    p.fx->redrawRate = 0;
    ASSERT_EQ(p.dispatch(effEditOpen, 0, 0, nullptr), 1);
    VSTGUI::CFrame* frame = p.editor()->getFrame();
    ASSERT_NE(frame, nullptr);

    CPoint down(120, 40);
    EXPECT_EQ(frame->onMouseDown(down, VSTGUI::kLButton | VSTGUI::kShift),
              VSTGUI::kMouseEventHandled);
    EXPECT_EQ(p.fx->mouseButtons, 9.0);
    EXPECT_EQ(p.fx->mouseX, 120.0);
    EXPECT_EQ(p.fx->mouseY, 40.0);
    EXPECT_EQ(p.fx->redrawRate, 30.0);  // raised from 0
    // The graphics section sees the same state.
    paint(p);
    EXPECT_EQ(p.drawn()->vars.sectionMouse.buttons, 9.0);
    EXPECT_EQ(p.drawn()->vars.sectionMouse.x, 120.0);

    // Dragged outside the editor: the pressed view still gets the moves.
    CPoint outside(600, -5);
    frame->onMouseMoved(outside, VSTGUI::kLButton | VSTGUI::kShift);
    EXPECT_EQ(p.fx->mouseX, 600.0);
    EXPECT_EQ(p.fx->mouseY, -5.0);
    EXPECT_EQ(p.fx->mouseButtons, 9.0);
    CPoint up(610, -7);
    frame->onMouseUp(up, VSTGUI::kShift);
    EXPECT_EQ(p.fx->mouseButtons, 0.0);
    EXPECT_EQ(p.fx->mouseX, 610.0);

    // Right button with control; a rate above 30 is kept.
    p.fx->redrawRate = 45;
    CPoint right(5, 6);
    frame->onMouseDown(right, VSTGUI::kRButton | VSTGUI::kControl);
    EXPECT_EQ(p.fx->mouseButtons, 6.0);
    EXPECT_EQ(p.fx->redrawRate, 45.0);
    frame->onMouseUp(right, 0);

    // Keys from the host are not taken and change nothing.
    EXPECT_EQ(p.dispatch(effEditKeyDown, 'a', 0, nullptr, 0.0f), 0);
    EXPECT_EQ(p.dispatch(effEditKeyUp, 'a', 0, nullptr, 0.0f), 0);
    EXPECT_EQ(p.fx->mouseX, 5.0);
    EXPECT_EQ(p.fx->mouseButtons, 0.0);

    // Closing and reopening keeps the script's mouse state and rate.
    p.dispatch(effEditClose);
    ASSERT_EQ(p.dispatch(effEditOpen, 0, 0, nullptr), 1);
    EXPECT_EQ(p.fx->mouseX, 5.0);
    EXPECT_EQ(p.fx->mouseY, 6.0);
    EXPECT_EQ(p.fx->redrawRate, 45.0);
}

// ---------------------------------------------------------------------------
// Redraw pacing against a test clock: the editor counts the script's redraw
// requests on their way to the view.

class CountingEditor final : public CPluxEditor {
  public:
    using CPluxEditor::CPluxEditor;
    void requestRedraw() override {
        ++requests;
        CPluxEditor::requestRedraw();
    }
    int requests = 0;
};

int32_t gClock = 0;
int32_t testClock() {
    return gClock;
}

class EditorPacing : public ::testing::Test {
  protected:
    void SetUp() override {
        plux::platform::setProcessClockForTesting(testClock);
        gClock = 100000;
        p.start();
        // Replaces (and deletes) the editor that the create binding attached.
        editor = new CountingEditor(p.plux, 500, 250);
    }
    void TearDown() override { plux::platform::setProcessClockForTesting(nullptr); }

    // n idle requests, the clock moving on by step milliseconds before each;
    // answers how many redraws they asked for.
    int idles(int n, int32_t step) {
        const int before = editor->requests;
        for (int i = 0; i < n; ++i) {
            gClock += step;
            p.dispatch(effEditIdle);
        }
        return editor->requests - before;
    }

    AssembledPlugin<nulltest::TVexmoldEffect> p;
    CountingEditor* editor = nullptr;
};

TEST_F(EditorPacing, ThirtyPerSecondRedrawsOnEveryFourthIdleOfTenMilliseconds) {
    EXPECT_EQ(p.fx->redrawRate, 30.0);
    EXPECT_EQ(idles(20, 10), 0);  // closed: no pacing
    ASSERT_EQ(p.dispatch(effEditOpen, 0, 0, nullptr), 1);
    EXPECT_EQ(idles(1, 10), 1);  // long since the last one
    EXPECT_EQ(p.fx->lastRedrawClock, gClock);
    EXPECT_EQ(idles(40, 10), 10);
    // More than 1000 / 30 ms must pass: 33 is too few, 34 enough.
    EXPECT_EQ(idles(1, 33), 0);
    EXPECT_EQ(idles(1, 1), 1);
    EXPECT_EQ(idles(1, 33), 0);
    EXPECT_EQ(idles(1, 1), 1);
    // Strictly more: at 25 per second 40 ms are not enough, 41 are.
    p.fx->redrawRate = 25;
    EXPECT_EQ(idles(1, 40), 0);
    EXPECT_EQ(idles(1, 1), 1);
}

TEST_F(EditorPacing, RateZeroStopsRedrawsUntilTheMouseRestartsThem) {
    ASSERT_EQ(p.dispatch(effEditOpen, 0, 0, nullptr), 1);
    p.fx->redrawRate = 0;
    EXPECT_EQ(idles(100, 10), 0);
    p.fx->redrawRate = -5;
    EXPECT_EQ(idles(100, 10), 0);
    CPoint where(10, 10);
    p.editor()->getFrame()->onMouseMoved(where, 0);
    p.editor()->getFrame()->onMouseMoved(where, 0);
    EXPECT_EQ(p.fx->redrawRate, 30.0);
    EXPECT_EQ(idles(40, 10), 10);
}

}  // namespace

namespace {

// The editor adapter alone, on a tick count the test sets.
class TickedEditor : public AEffGUIEditor {
  public:
    explicit TickedEditor(uint32_t firstPass) : AEffGUIEditor(nullptr) { nextIdleTick = firstPass; }
    void idle() override { ++passes; }
    uint32_t currentTick() const override { return tick; }

    uint32_t tick = 0;
    int passes = 0;
};

// Each pass is due 100 ms after the last; one due within 50 ms of the
// caller's (short) wait runs now. The tick count wraps after 49.7 days.
TEST(EditorIdlePass, PacesByTickDifferencesAcrossTheWrap) {
    TickedEditor editor(0xFFFFFF00u);
    editor.tick = 0xFFFFFF00u;
    editor.doIdleStuff();
    EXPECT_EQ(editor.passes, 1);  // due now; the next at ...64
    editor.tick = 0xFFFFFF10u;
    editor.doIdleStuff();
    EXPECT_EQ(editor.passes, 1);  // 80 ms early after the wait: too early
    editor.tick = 0xFFFFFF2Du;
    editor.doIdleStuff();
    EXPECT_EQ(editor.passes, 1);  // still 51 ms early after the 4 ms wait
    editor.tick = 0xFFFFFF2Eu;
    editor.doIdleStuff();
    EXPECT_EQ(editor.passes, 2);  // 50 ms: near enough; the next at ...96
    editor.tick = 0x10u;          // past the wrap and past the due tick
    editor.doIdleStuff();
    EXPECT_EQ(editor.passes, 3);

    // Due after the wrap, asked just before it: not yet.
    TickedEditor early(0x54u);
    early.tick = 0xFFFFFFF0u;
    early.doIdleStuff();
    EXPECT_EQ(early.passes, 0);
}

// Counts the draws that reach the script.
int gScriptDraws = 0;
void (*gScriptDraw)(CPlux*, VSTGUI::CDrawContext*, double, double) = nullptr;
void countScriptDraw(CPlux* plux, VSTGUI::CDrawContext* context, double width, double height) {
    ++gScriptDraws;
    gScriptDraw(plux, context, width, height);
}

TEST(EditorDraw, WithoutARectangleTheWholeFrameIsDrawn) {
    AssembledPlugin<tonegen::TVexmoldEffect> p;
    p.start();
    ASSERT_EQ(p.dispatch(effEditOpen, 0, 0, nullptr), 1);
    gScriptDraw = CPluxProbe::replaceDraw(*p.plux, countScriptDraw);
    gScriptDraws = 0;
    p.editor()->draw(nullptr);
    EXPECT_EQ(gScriptDraws, 1);
    ERect outside{300, 300, 400, 400};  // top, left, bottom, right: off the 100 x 100 frame
    p.editor()->draw(&outside);
    EXPECT_EQ(gScriptDraws, 1);
    ERect reversed{90, 90, 10, 10};
    p.editor()->draw(&reversed);
    EXPECT_EQ(gScriptDraws, 2);
    CPluxProbe::replaceDraw(*p.plux, gScriptDraw);
}

}  // namespace
