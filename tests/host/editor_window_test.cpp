// The editors of the real DLLs in a real window, driven as a host drives
// them: the rectangle query, open into the host's window, audio and idles
// with the messages pumped in between, and what the editor window then shows.
// Both builds: the DLLs under Wine, the shared objects on an X display.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "tests/host/host_window.h"
#include "tests/host/plugin_instance.h"

namespace {

using hostwindow::Picture;

struct Area {
    int left, top, right, bottom;
};

struct EditorCase {
    const char* plugin;
    int width;
    int height;
};

class EditorWindow : public ::testing::TestWithParam<EditorCase> {
  protected:
    void SetUp() override { fakehost::reset(); }
};

// What a host does while its editor is open: an idle request every 15 ms or
// so, and every waiting message handled in between.
void idleFor(PluginInstance& p, double milliseconds) {
    const double start = hostwindow::nowMs();
    while (hostwindow::nowMs() - start < milliseconds) {
        p.dispatch(effEditIdle);
        hostwindow::pumpMessages();
        hostwindow::sleepMs(15);
    }
}

// The same 997 Hz sine on both inputs: the side signal is exactly zero.
void processIdenticalInputs(PluginInstance& p, double seconds) {
    const int total = static_cast<int>(seconds * 44100.0);
    std::vector<float> left(512), right(512), outLeft(512), outRight(512);
    for (int done = 0; done < total; done += 512) {
        for (int i = 0; i < 512; ++i)
            left[i] = right[i] = static_cast<float>(
                0.5 * std::sin(6.283185307179586 * 997.0 * (done + i) / 44100.0));
        p.process(left, right, outLeft, outRight);
    }
}

// What the editor shows once its pending paints are done.
Picture show(void* editor) {
    hostwindow::finishPaints(editor);
    Picture picture;
    EXPECT_TRUE(hostwindow::readPicture(editor, picture));
    return picture;
}

int lit(const Picture& picture, const Area& a) {
    return picture.countLit(a.left, a.top, a.right, a.bottom);
}

// A line of text drawn from the pen at (x, y): GDI+ leaves a margin of two or
// three pixels, cairo's first glyph may touch column x, so the first glyph
// starts within 7 pixels right of x and the ink stays within rows y + 3 to
// y + 13. The bands just above and below the line stay dark but for a
// descender or two of the neighbouring lines, and so does the strip left of
// the pen where nothing else is drawn.
void expectTextAt(const Picture& picture, int x, int y, const char* what, bool clearLeft = true) {
    SCOPED_TRACE(std::string(what) + " at (" + std::to_string(x) + ", " + std::to_string(y) + ")");
    EXPECT_GT(lit(picture, {x + 1, y + 2, x + 7, y + 14}), 5);
    EXPECT_GT(lit(picture, {x, y, x + 40, y + 16}), 40);
    EXPECT_LE(lit(picture, {x + 1, y - 1, x + 40, y + 3}), 5);
    if (y + 17 < picture.height - 1) {
        EXPECT_LE(lit(picture, {x + 1, y + 14, x + 40, y + 17}), 5);
    }
    if (clearLeft && x >= 8) {
        EXPECT_EQ(lit(picture, {x - 8, y + 2, x, y + 14}), 0);
    }
}

void expectNulltestLayout(const Picture& picture) {
    // Groups: the header, then its RMS and peak lines 20 pixels left of it.
    const int groups[4][2] = {{200, 10}, {30, 90}, {350, 90}, {200, 180}};
    for (const auto& g : groups) {
        expectTextAt(picture, g[0], g[1], "group header");
        expectTextAt(picture, g[0] - 20, g[1] + 25, "RMS line");
        expectTextAt(picture, g[0] - 20, g[1] + 45, "peak line");
    }
    for (int y = 195; y <= 225; y += 15)
        expectTextAt(picture, 10, y, "note");
    // The side lines may reach under the notes on the right.
    for (int y = 165; y <= 225; y += 15)
        expectTextAt(picture, 350, y, "note", false);
    for (int y = 15; y <= 60; y += 15)
        expectTextAt(picture, 360, y, "note");
    expectTextAt(picture, 58, 50, "build date");
    // Where nothing is drawn the editor stays black.
    EXPECT_EQ(lit(picture, {3, 3, 35, 85}), 0);
    EXPECT_EQ(lit(picture, {10, 158, 150, 190}), 0);
    EXPECT_EQ(lit(picture, {150, 62, 175, 86}), 0);
}

void expectTonegenLayout(const Picture& picture) {
    expectTextAt(picture, 15, 85, "build date");
    // Left of the date and below the logo's pictures nothing is drawn.
    EXPECT_EQ(lit(picture, {3, 86, 13, 97}), 0);
}

TEST_P(EditorWindow, OpensAChildOfItsSizeAndShowsItsPanel) {
    const EditorCase c = GetParam();
    PluginInstance p(c.plugin);
    ERect* rect = nullptr;
    ASSERT_EQ(p.dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->right, c.width);
    EXPECT_EQ(rect->bottom, c.height);

    p.start();
    void* host = hostwindow::hostWindow();
    ASSERT_EQ(hostwindow::countChildren(), 0);
    ASSERT_EQ(p.dispatch(effEditOpen, 0, 0, host), 1);
    void* editor = hostwindow::editorWindow();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(hostwindow::clientSize(editor), std::make_pair(c.width, c.height));

    // Before any audio the frame's size is 0: no red frame, the rest is drawn.
    idleFor(p, 300);
    const Picture before = show(editor);
    ASSERT_EQ(before.width, c.width);
    EXPECT_LT(before.redEdgeShare(), 0.02);

    processIdenticalInputs(p, 1.3);
    idleFor(p, 300);
    const Picture after = show(editor);
    ASSERT_EQ(after.width, c.width);
    EXPECT_GT(after.redEdgeShare(), 0.95);
    // One pixel wide: two pixels in, the edges are no longer red.
    EXPECT_FALSE(Picture::reddish(after.at(2, c.height / 2)));
    EXPECT_FALSE(Picture::reddish(after.at(c.width - 3, c.height / 2)));
    if (std::string(c.plugin) == "nulltest")
        expectNulltestLayout(after);
    else
        expectTonegenLayout(after);

    // The panel takes a click (the script reads the mouse, nothing it draws
    // depends on it) and goes on drawing.
    ASSERT_TRUE(hostwindow::click(editor, c.width / 2, c.height / 2));
    idleFor(p, 100);
    EXPECT_GT(show(editor).redEdgeShare(), 0.95);

    // Closed and reopened: a new window of the same size, the same panel.
    EXPECT_EQ(p.dispatch(effEditClose), 0);
    hostwindow::pumpMessages();
    EXPECT_EQ(hostwindow::countChildren(), 0);
    ASSERT_EQ(p.dispatch(effEditOpen, 0, 0, host), 1);
    void* reopened = hostwindow::editorWindow();
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(hostwindow::clientSize(reopened), std::make_pair(c.width, c.height));
    idleFor(p, 200);
    EXPECT_GT(show(reopened).redEdgeShare(), 0.95);
    EXPECT_EQ(p.dispatch(effEditClose), 0);
    hostwindow::pumpMessages();
    EXPECT_EQ(hostwindow::countChildren(), 0);
}

INSTANTIATE_TEST_SUITE_P(Plugins, EditorWindow,
                         ::testing::Values(EditorCase{"nulltest", 500, 250},
                                           EditorCase{"tonegen", 100, 100}),
                         [](const ::testing::TestParamInfo<EditorCase>& param) {
                             return std::string(param.param.plugin);
                         });

// The side group of the null-test panel (its RMS and peak lines), after
// 1.3 s of one sine on both inputs but for frame 1000, where left and right
// are `left` and `right`.
std::vector<uint32_t> sideValuesShown(float left, float right) {
    PluginInstance p("nulltest");
    p.start();
    EXPECT_EQ(p.dispatch(effEditOpen, 0, 0, hostwindow::hostWindow()), 1);
    void* editor = hostwindow::editorWindow();
    std::vector<float> l(512), r(512), outL(512), outR(512);
    for (int done = 0; done < 57344; done += 512) {
        for (int i = 0; i < 512; ++i)
            l[i] = r[i] = static_cast<float>(
                0.5 * std::sin(6.283185307179586 * 997.0 * (done + i) / 44100.0));
        if (done == 512) {
            l[1000 - 512] = left;
            r[1000 - 512] = right;
        }
        p.process(l, r, outL, outR);
    }
    idleFor(p, 300);
    const Picture picture = editor ? show(editor) : Picture{};
    p.dispatch(effEditClose);
    hostwindow::pumpMessages();
    std::vector<uint32_t> pixels;
    if (picture.width != 500)
        return pixels;
    for (int y = 198; y < 246; ++y)
        for (int x = 175; x < 498; ++x)
            pixels.push_back(picture.at(x, y));
    return pixels;
}

TEST(NullTestPanel, NonFiniteSampleShowsAsFullScaleNeverAsANull) {
    fakehost::reset();
    // One frame of a full-scale difference: side 0.00 dB peak, 0 bits.
    const std::vector<uint32_t> fullScale = sideValuesShown(1.0f, -1.0f);
    const std::vector<uint32_t> perfect = sideValuesShown(0.0f, 0.0f);
    ASSERT_FALSE(fullScale.empty());
    ASSERT_NE(fullScale, perfect);
    EXPECT_EQ(sideValuesShown(std::numeric_limits<float>::quiet_NaN(), 0.0f), fullScale);
    EXPECT_EQ(sideValuesShown(0.0f, std::numeric_limits<float>::infinity()), fullScale);
}

}  // namespace
