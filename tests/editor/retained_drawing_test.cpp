// The null-test editor's retained drawing, read back from a real window: after
// every redraw the pacing asks for (only the dimmer changing, new values, a
// system paint of an uncovered window, a reopen) the window shows exactly what
// a full draw of the panel in the same state shows. The full draw is made by
// a second instance fed the same audio and drawn as often, straight into a
// buffer of the same kind, without recording. Runs under Wine in the Windows
// build and natively in an X window.
#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "effects/nulltest/nulltest_effect.h"
#include "gui/editor/pluxview.h"
#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/fontdesc.h"
#include "gui/toolkit/frame.h"
#include "platform/platform.h"
#ifdef _WIN32
#include "tests/host/host_window_win32.h"
#else
#include <cairo.h>

#include "tests/host/host_window.h"
#endif
#include "tests/unit/assembled_plugin.h"

namespace {

using hostwindow::Picture;
using Nulltest = AssembledPlugin<nulltest::TVexmoldEffect>;

constexpr int kWidth = 500, kHeight = 250;
// The logo: a 99 x 99 picture at (200, 75) under the dimmer.
const VSTGUI::CRect kLogo(200, 75, 299, 174);

int32_t gClock = 0;
int32_t testClock() {
    return gClock;
}

// 1.2 s of a sine of the given level on the left and 0.999 of it on the right.
void feed(Nulltest& p, double level) {
    std::vector<float> left(512), right(512), outLeft(512), outRight(512);
    for (int done = 0; done < 52920; done += 512) {
        for (int i = 0; i < 512; ++i) {
            left[i] = static_cast<float>(
                level * std::sin(6.283185307179586 * 997.0 * (done + i) / 44100.0));
            right[i] = left[i] * 0.999f;
        }
        float* in[2] = {left.data(), right.data()};
        float* out[2] = {outLeft.data(), outRight.data()};
        p.effect->processReplacing(p.effect, in, out, 512);
    }
}

// The reference: the graphics section drawn straight into a new window
// buffer over the frame's black background, in the state a paint starts it
// in (the graphics library runs while the editor is open).
class FullDraw {
  public:
    Picture draw(Nulltest& p) {
        buffer = VSTGUI::COffscreenContext::newWindowBuffer(nullptr, kWidth, kHeight);
        if (!buffer)
            return Picture{};
        buffer->setFontColor(VSTGUI::kWhiteCColor);
        buffer->setLineWidth(1);
        buffer->setLineStyle(VSTGUI::kLineSolid);
        buffer->setDrawMode(VSTGUI::kCopyMode);
        buffer->setFont(VSTGUI::kSystemFont);
        buffer->setFillColor(VSTGUI::kBlackCColor);
        buffer->setFrameColor(VSTGUI::kBlackCColor);
        buffer->drawRect(VSTGUI::CRect(0, 0, kWidth, kHeight), VSTGUI::kDrawFilledAndStroked);
        p.plux->drawGraphics(buffer, kWidth, kHeight);
        const Picture picture = read();
        buffer->forget();
        buffer = nullptr;
        return picture;
    }

  private:
#ifdef _WIN32
    // Through a memory device context holding a copy of the buffer.
    Picture read() {
        Picture picture;
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP copy = CreateCompatibleBitmap(screen, kWidth, kHeight);
        if (memory && copy) {
            HGDIOBJ previous = SelectObject(memory, copy);
            buffer->copyToSystemContext(memory, VSTGUI::CRect(0, 0, kWidth, kHeight),
                                        VSTGUI::CPoint(0, 0));
            hostwindow::readPicture(memory, kWidth, kHeight, picture);
            SelectObject(memory, previous);
        }
        if (copy)
            DeleteObject(copy);
        if (memory)
            DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        return picture;
    }
#else
    // Through an image surface (a device context here) holding a copy of
    // the buffer, as a window would get it.
    Picture read() {
        Picture picture;
        cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
        buffer->copyToSystemContext(copy, VSTGUI::CRect(0, 0, kWidth, kHeight),
                                    VSTGUI::CPoint(0, 0));
        cairo_surface_flush(copy);
        if (cairo_surface_status(copy) == CAIRO_STATUS_SUCCESS) {
            picture.width = kWidth;
            picture.height = kHeight;
            const unsigned char* data = cairo_image_surface_get_data(copy);
            const int stride = cairo_image_surface_get_stride(copy);
            for (int y = 0; y < kHeight; ++y) {
                const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
                for (int x = 0; x < kWidth; ++x)
                    picture.pixels.push_back(row[x] & 0xFFFFFF);
            }
        }
        cairo_surface_destroy(copy);
        return picture;
    }
#endif

    VSTGUI::COffscreenContext* buffer = nullptr;
};

class RetainedDrawing : public ::testing::Test {
  protected:
    void SetUp() override {
        plux::platform::setProcessClockForTesting(testClock);
        gClock = 100000;
        retained.start();
        referenceInstance.start();
        open();
        full.draw(referenceInstance);  // as the first paint did
    }
    void TearDown() override {
        retained.dispatch(effEditClose);
        hostwindow::pumpMessages();
        plux::platform::setProcessClockForTesting(nullptr);
    }

    // Opens the editor; its first paint runs the section, as the full draw
    // does. On X11 that paint comes with the window's first exposure, which
    // the frame reads when it idles (here without the editor's idle, whose
    // pacing may run the section too).
    void open() {
        ASSERT_EQ(retained.dispatch(effEditOpen, 0, 0, hostwindow::hostWindow()), 1);
        editor = hostwindow::editorWindow();
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(
            paintUntil([](const Picture& p) { return p.countLit(0, 0, p.width, p.height) > 0; }));
    }

    // Lets the frame take the system's paints until what the window shows
    // passes the check; false when it never does within about a second.
    template <typename Check> bool paintUntil(Check check) {
        for (int i = 0; i < 100; ++i) {
            hostwindow::finishPaints(editor);
            if (VSTGUI::CFrame* frame = retained.editor()->getFrame())
                frame->idle();
            Picture picture;
            if (hostwindow::readPicture(editor, picture) && check(picture))
                return true;
            hostwindow::sleepMs(10);
        }
        return false;
    }

    // One idle pass late enough for the 30-a-second pacing: one redraw.
    void pacedRedraw() {
        gClock += 40;
        retained.dispatch(effEditIdle);
        hostwindow::finishPaints(editor);
    }

    Picture shown() {
        Picture picture;
        EXPECT_TRUE(hostwindow::readPicture(editor, picture));
        return picture;
    }

    CPluxView* view() const { return retained.editor()->getView(); }

    void expectSameAsFullDraw(const char* step) {
        SCOPED_TRACE(step);
        const Picture reference = full.draw(referenceInstance);
        ASSERT_EQ(reference.width, kWidth);
        // The editor's drawing requests reach the X server on its own
        // connection; a read on the host's may overtake them, so it is
        // repeated for a moment (nothing is drawn meanwhile).
        size_t differing = 0;
        for (int attempt = 0; attempt < 50; ++attempt) {
            const Picture window = shown();
            ASSERT_EQ(window.width, kWidth);
            differing = 0;
            for (size_t i = 0; i < window.pixels.size(); ++i)
                differing += window.pixels[i] != reference.pixels[i] ? 1 : 0;
            if (differing == 0)
                break;
            hostwindow::sleepMs(5);
        }
        EXPECT_EQ(differing, 0u);
    }

    Nulltest retained;
    Nulltest referenceInstance;
    FullDraw full;
    void* editor = nullptr;
};

TEST_F(RetainedDrawing, EveryRedrawShowsWhatAFullDrawShows) {
    // Measured values everywhere, the first paint drawn whole.
    feed(retained, 0.5);
    feed(referenceInstance, 0.5);
    pacedRedraw();
    expectSameAsFullDraw("first values");

    // Only the dimmer changes: the redraw touches the logo and nothing else
    // (or nothing at all when the dimmer's opacity rounds to the same byte).
    int damaged = 0;
    for (int step = 0; step < 8; ++step) {
        pacedRedraw();
        ASSERT_TRUE(view()->lastRedrawWasPartial());
        const VSTGUI::DamageRegion& damage = view()->getLastDamage();
        damaged += damage.isEmpty() ? 0 : 1;
        const VSTGUI::CRect bounds = damage.isEmpty() ? kLogo : damage.bounds();
        EXPECT_GE(bounds.left, kLogo.left);
        EXPECT_GE(bounds.top, kLogo.top);
        EXPECT_LE(bounds.right, kLogo.right + 1);
        EXPECT_LE(bounds.bottom, kLogo.bottom + 1);
        expectSameAsFullDraw("dimmer step");
    }
    EXPECT_GE(damaged, 4);

    // A new audio window: all eight values change.
    feed(retained, 0.3);
    feed(referenceInstance, 0.3);
    pacedRedraw();
    EXPECT_GT(view()->getLastDamage().area(), 8 * 30 * 15);
    expectSameAsFullDraw("new values");

    // Covered and uncovered: the system's paint replays the kept drawing
    // without running the section, so the reference does not draw either.
    const Picture before = shown();
    hostwindow::paintOverAndExpose(editor);
    EXPECT_TRUE(paintUntil([&](const Picture& p) { return p.pixels == before.pixels; }));
    EXPECT_EQ(shown().pixels, before.pixels);

    // Closed and opened again: a new window, drawn whole by its first paint.
    retained.dispatch(effEditClose);
    hostwindow::pumpMessages();
    open();
    expectSameAsFullDraw("reopened");
    pacedRedraw();
    EXPECT_TRUE(view()->lastRedrawWasPartial());
    expectSameAsFullDraw("dimmer after reopening");
}

}  // namespace
