// The script's drawing state and primitives against a drawing context. The
// native build's context keeps its state but draws nothing; under Wine the
// same tests run on GDI+, where text has real widths.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "gui/editor/pluxeditor.h"
#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/fontdesc.h"
#include "runtime/debuglog.h"
#include "runtime/paths.h"
#include "runtime/vexmold.h"
#include "shell/plux.h"
#include "tests/unit/effect_rig.h"

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using VSTGUI::CColor;

namespace {

class GraphicsScript final : public TVexmold {};

class RuntimeGraphics : public ::testing::Test {
  protected:
    RuntimeGraphics() : rig(44100.0f), script(*rig.fx) {}
    void TearDown() override { endDraw(); }

    // What a draw gives the graphics section, here for primitives called
    // one by one.
    void beginDraw() {
        context = new VSTGUI::COffscreenContext(nullptr, 200, 100);
        pass.context = context;
        pass.hasEditor = rig.plux->editorSize(pass.editorWidth, pass.editorHeight);
        running.emplace(script, pass);
    }
    void endDraw() {
        running.reset();
        if (context)
            context->forget();
        context = nullptr;
    }
    void colour(double r, double g, double b, double a) {
        script.drawRed = r;
        script.drawGreen = g;
        script.drawBlue = b;
        script.drawAlpha = a;
    }

    EffectRig<GraphicsScript> rig;
    GraphicsScript& script;
    VSTGUI::COffscreenContext* context = nullptr;
    TVexmoldGraphicsPass pass;
    std::optional<CVexmoldPlux::GraphicsPassScope> running;
};

// The log's lines, whichever line ends the platform writes.
std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string lines = text.str();
    lines.erase(std::remove(lines.begin(), lines.end(), '\r'), lines.end());
    return lines;
}

}  // namespace

TEST(RuntimeGraphicsColour, ComponentsBecomeBytesCutAndClamped) {
    EXPECT_EQ(CVexmoldGraphics::colourByte(0.5), 127);  // 127.5 + 0.0001 cut
    EXPECT_EQ(CVexmoldGraphics::colourByte(1.0), 255);
    EXPECT_EQ(CVexmoldGraphics::colourByte(1.5), 255);
    EXPECT_EQ(CVexmoldGraphics::colourByte(-0.2), 0);
    EXPECT_EQ(CVexmoldGraphics::colourByte(0.95), 242);
    EXPECT_EQ(CVexmoldGraphics::colourByte(1.0 / 255.0 - 1e-7), 1);  // the nudge lifts it
    EXPECT_EQ(CVexmoldGraphics::colourByte(std::nan("")), 0);
    EXPECT_EQ(CVexmoldGraphics::colourByte(std::numeric_limits<double>::infinity()), 255);
}

TEST_F(RuntimeGraphics, OutsideADrawNothingDrawsButFillAndLineStillMoveThePen) {
    EXPECT_FALSE(script.fillRect(10.7, 20.2, 5, 5));
    EXPECT_DOUBLE_EQ(script.penX, 15.7);
    EXPECT_DOUBLE_EQ(script.penY, 25.2);
    EXPECT_FALSE(script.fillRect(std::nan(""), 1, 2, 3));
    EXPECT_EQ(script.penX, 0.0);  // non-finite corners become 0
    EXPECT_EQ(script.penY, 4.0);
    EXPECT_FALSE(script.lineTo(3, -7));
    EXPECT_EQ(script.penX, 3.0);
    EXPECT_EQ(script.penY, -7.0);
    script.assignStringSlot(5, "text");
    EXPECT_FALSE(script.drawText(5));
    EXPECT_FALSE(script.drawNumber(1.5, 2));
    EXPECT_FALSE(script.drawImage(0));
    EXPECT_EQ(script.penX, 3.0);  // text moves the pen only when drawn
    EXPECT_EQ(script.penY, -7.0);
    double size = -1;
    EXPECT_FALSE(script.fontSize(size));
    EXPECT_EQ(size, -1.0);
}

TEST_F(RuntimeGraphics, PrimitivesSetTheContextColourAndModeTheyDrawWith) {
    beginDraw();
    colour(0.5, 1.0, 1.5, -0.2);
    EXPECT_TRUE(script.fillRect(10.7, 20.2, 5, 5));
    EXPECT_EQ(context->getFillColor(), (CColor{127, 255, 255, 0}));
    EXPECT_EQ(context->getDrawMode(), VSTGUI::kCopyMode);

    colour(0, 0.5, 0.95, 0.5);
    EXPECT_TRUE(script.lineTo(20, 30));
    EXPECT_EQ(context->getFrameColor(), (CColor{0, 127, 242, 127}));
    EXPECT_EQ(context->getDrawMode(), VSTGUI::kAntialias);

    colour(1, 1, 0, 1);
    script.assignStringSlot(1, "x");
    EXPECT_TRUE(script.drawText(1));
    EXPECT_EQ(context->getFontColor(), (CColor{255, 255, 0, 255}));
    EXPECT_TRUE(script.setDrawMode(0));
    EXPECT_EQ(context->getDrawMode(), VSTGUI::kCopyMode);
    // The fill colour was left alone by line and text.
    EXPECT_EQ(context->getFillColor(), (CColor{127, 255, 255, 0}));
}

#include "tests/toolkit/drawing/pixels.h"

TEST_F(RuntimeGraphics, FillRectangleFloorsItsCorners) {
    beginDraw();
    colour(1, 0, 0, 1);
    script.fillRect(10.7, 20.2, 5, 5);  // (10, 20) to (15, 25)
    using VSTGUI::testing::pixelAt;
    EXPECT_EQ(pixelAt(*context, 10, 20), 0xFFFF0000u);
    EXPECT_EQ(pixelAt(*context, 14, 24), 0xFFFF0000u);
    EXPECT_EQ(pixelAt(*context, 15, 24), 0u);
    EXPECT_EQ(pixelAt(*context, 14, 25), 0u);
    EXPECT_EQ(pixelAt(*context, 9, 20), 0u);
    EXPECT_EQ(VSTGUI::testing::countDrawn(*context), 25);
}

TEST_F(RuntimeGraphics, TextIsDrawnLineByLineAndChains) {
    beginDraw();
    script.assignStringSlot(10000, "Arial");
    script.selectFont(0, 10000, 16, 0);
    script.assignStringSlot(2, "a\nbc");
    script.penX = 10;
    script.penY = 10;
    script.textHeight = 16;
    EXPECT_TRUE(script.drawText(2));
    const double secondLine = std::max(0.0, context->getStringWidth("bc"));
    EXPECT_DOUBLE_EQ(script.penX, 10 + secondLine);
    EXPECT_EQ(script.penY, 26.0);

    // A text that ends with a newline moves down and keeps x.
    script.assignStringSlot(3, "z\n");
    const double x = script.penX;
    script.drawText(3);
    EXPECT_EQ(script.penX, x);
    EXPECT_EQ(script.penY, 42.0);
#ifdef _WIN32
    EXPECT_GT(secondLine, 0.0);
#endif
}

TEST_F(RuntimeGraphics, NumbersAreFormattedWithTheirDecimals) {
    beginDraw();
    script.assignStringSlot(10000, "Arial");
    script.selectFont(1, 10000, 16, 0);
    const struct {
        double value, decimals;
        const char* text;
    } cases[] = {{-400, 2, "-400.00"},
                 {20260721, 0, "20260721"},
                 {2.5, 0.9999, "2.5"},
                 {-1.25, -0.9999, "-1.250000"},
                 {0.125, 1e9, nullptr}};
    for (const auto& c : cases) {
        script.penX = 0;
        script.penY = 0;
        ASSERT_TRUE(script.drawNumber(c.value, c.decimals));
        if (c.text) {
            EXPECT_DOUBLE_EQ(script.penX, std::max(0.0, context->getStringWidth(c.text))) << c.text;
        }
    }
#ifdef _WIN32
    // The widths tell the texts apart under GDI+.
    EXPECT_NE(context->getStringWidth("-400.00"), context->getStringWidth("-400.0"));
#endif
}

TEST(RuntimeGraphicsFonts, SizesGiveGlyphAndLineHeights) {
    using F = CVexmoldFonts;
    EXPECT_DOUBLE_EQ(F::fontHeightsForSize(13).fontHeight, 11.05);
    EXPECT_EQ(F::fontHeightsForSize(13).lineHeight, (13 * 0.85) / 0.85);
    EXPECT_NEAR(F::fontHeightsForSize(16).lineHeight, 16.0,
                16 * std::numeric_limits<double>::epsilon());
    EXPECT_EQ(F::fontHeightsForSize(0).fontHeight, 16.0);
    EXPECT_EQ(F::fontHeightsForSize(0).lineHeight, 18.823529411764707);
    EXPECT_EQ(F::fontHeightsForSize(std::nan("")).lineHeight, 18.823529411764707);
    EXPECT_EQ(F::fontHeightsForSize(-10).fontHeight, 10.0);
    EXPECT_EQ(F::fontHeightsForSize(-10).lineHeight, 10 / 0.85);
    EXPECT_EQ(F::fontHeightsForSize(-0.5).fontHeight, 1.0);
    EXPECT_EQ(F::fontHeightsForSize(0.5).fontHeight, 1.0);
    EXPECT_EQ(F::fontHeightsForSize(-std::numeric_limits<double>::infinity()).fontHeight, 1.0);
    EXPECT_EQ(F::fontHeightsForSize(-std::numeric_limits<double>::infinity()).lineHeight, 0.0);
    EXPECT_EQ(F::fontHeightsForSize(std::numeric_limits<double>::infinity()).lineHeight, 0.0);

    EXPECT_EQ(F::fontStyleFromFlags('b'), VSTGUI::kBoldFace);
    EXPECT_EQ(F::fontStyleFromFlags(0), 0);
    EXPECT_EQ(F::fontStyleFromFlags('u' | 'b' << 8 | 'i' << 16), 7);
    EXPECT_EQ(F::fontStyleFromFlags('i' << 24), VSTGUI::kItalicFace);
    EXPECT_EQ(F::fontStyleFromFlags('x'), 0);
}

TEST_F(RuntimeGraphics, SelectFontFillsTheSlotEvenWithoutAContext) {
    script.assignStringSlot(7, "Courier New");
    EXPECT_FALSE(script.selectFont(3, 7, 13, 'b'));
    ASSERT_EQ(script.fontSlots.count(3), 1u);
    EXPECT_EQ(script.fontSlots[3].name, "Courier New");
    EXPECT_EQ(script.fontSlots[3].size, 11);  // 11.05 cut
    EXPECT_EQ(script.fontSlots[3].style, VSTGUI::kBoldFace);
    EXPECT_EQ(script.fontIndex, 3.0);
    EXPECT_EQ(script.textHeight, (13 * 0.85) / 0.85);
    EXPECT_TRUE(script.cachedFontCount() == 0);  // not even "verdana"
    script.selectFont(std::nan(""), 8, 16, 0);   // a missing name slot is made empty
    EXPECT_EQ(script.fontIndex, 0.0);
    EXPECT_EQ(script.fontSlots[0].name, "");
    EXPECT_EQ(script.fontSlots[0].size, 13);
    EXPECT_EQ(script.stringSlots.count(8), 1u);
}

TEST_F(RuntimeGraphics, FamiliesAreCachedOnceIgnoringCase) {
    beginDraw();
    script.assignStringSlot(1, "Arial");
    script.assignStringSlot(2, "ARIAL");
    script.assignStringSlot(3, "Courier New");
    EXPECT_TRUE(script.selectFont(0, 1, 16, 0));
    EXPECT_TRUE(script.selectFont(1, 2, 13, 'i'));
    ASSERT_EQ(script.cachedFontCount(), 1u);
    VSTGUI::CFontDesc* font = context->getFont();
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->getSize(), 11);
    EXPECT_EQ(font->getStyle(), VSTGUI::kItalicFace);
    double size = 0;
    EXPECT_TRUE(script.fontSize(size));
    EXPECT_EQ(size, 11.0);
    script.selectFont(2, 3, 13, 0);
    EXPECT_EQ(script.cachedFontCount(), 2u);
    // Drawing again with the same fonts makes no new ones.
    for (int draw = 0; draw < 3; ++draw) {
        script.selectFont(0, 1, 16, 0);
        script.selectFont(2, 3, 13, 0);
    }
    EXPECT_EQ(script.cachedFontCount(), 2u);
    EXPECT_STREQ(context->getFont()->getName(), "Courier New");
}

class RuntimeGraphicsImages : public RuntimeGraphics {
  protected:
    void SetUp() override {
        log = fs::temp_directory_path() /
              ("runtime_graphics_test_log_" + std::to_string(getpid()) + ".txt");
        fs::remove(log);
        vexmold::setDebugLogPath(log.string());
    }
    void TearDown() override {
        vexmold::setDebugLogPath("");
        std::error_code ignored;
        fs::remove(log, ignored);
        RuntimeGraphics::TearDown();
    }
    fs::path log;
};

TEST_F(RuntimeGraphicsImages, AMissingImageIsLoggedOnceAndDrawsAnEmptyMark) {
    beginDraw();
    script.fileNames[7] = "no_such_picture.png";
    script.penX = 5;
    script.penY = 6;
    EXPECT_FALSE(script.drawImage(7));
    EXPECT_FALSE(script.drawImage(7));
    EXPECT_EQ(script.imageWidth(7), 0.0);
    EXPECT_EQ(script.imageHeight(7), 0.0);
    const std::string logged =
        "Unable to load: " + vexmold::resolvePath("no_such_picture.png") + "\n";
    EXPECT_EQ(readText(log), logged);
    EXPECT_EQ(script.penX, 5.0);  // the pen stays
    // The mark coloured the context but not the script's colour.
    EXPECT_EQ(context->getFillColor(), (CColor{255, 0, 0, 255}));
    EXPECT_EQ(context->getFontColor(), (CColor{255, 255, 0, 255}));
    EXPECT_EQ(script.drawAlpha, 0.0);
#ifdef _WIN32
    EXPECT_EQ(VSTGUI::testing::countDrawn(*context), 0);  // a 0 x 0 mark covers nothing
#endif
    // A slot without a file name is not looked for and not logged.
    EXPECT_FALSE(script.drawImage(8));
    EXPECT_EQ(script.loadedImages.count(8), 1u);
    EXPECT_EQ(script.loadedImages[8].holder, nullptr);
    EXPECT_EQ(readText(log), logged);
}

TEST_F(RuntimeGraphics, PrologueTakesTheEditorSizeCopiesTheMouseAndClears) {
    double buttons = -1, x = -1, y = -1;
    script.mouseButtons = 9;
    script.mouseX = std::nan("");
    script.mouseY = 12;
    script.surfaceWidth = 3;
    // Without an editor the surface keeps its size; clearColour 0 clears nothing.
    script.beginGraphicsSection(buttons, x, y);
    EXPECT_EQ(script.surfaceWidth, 3.0);
    EXPECT_EQ(buttons, 9.0);
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(y, 12.0);
    EXPECT_EQ(script.drawAlpha, 0.0);

    new CPluxEditor(rig.plux, 500, 250);  // attaches itself; the wrapper owns it
    beginDraw();
    script.clearColour = 0x0000FF;
    script.beginGraphicsSection(buttons, x, y);
    EXPECT_EQ(script.surfaceWidth, 500.0);
    EXPECT_EQ(script.surfaceHeight, 250.0);
    EXPECT_EQ(script.drawRed, 1.0);
    EXPECT_EQ(script.drawGreen, 0.0);
    EXPECT_EQ(script.drawBlue, 0.0);
    EXPECT_EQ(script.drawAlpha, 1.0);
    EXPECT_EQ(context->getFillColor(), (CColor{255, 0, 0, 255}));
    EXPECT_EQ(script.penX, 500.0);
    EXPECT_EQ(script.penY, 250.0);
#ifdef _WIN32
    EXPECT_EQ(VSTGUI::testing::pixelAt(*context, 199, 99), 0xFFFF0000u);
#endif
    script.clearColour = 0x00FF00 * 1.0 + 0.000001;  // still the packed colour
    script.beginGraphicsSection(buttons, x, y);
    EXPECT_EQ(script.drawGreen, 1.0);
    EXPECT_EQ(script.drawRed, 0.0);
}
