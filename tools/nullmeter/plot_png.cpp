// The plot drawn into an offscreen bitmap of the toolkit and saved as PNG
// (cairo natively, GDI+ on Windows).
#include "tools/nullmeter/plot.h"

#include <cmath>
#include <cstdint>
#include <new>
#include <vector>

#include "gui/toolkit/bitmap.h"
#include "gui/toolkit/drawcontext.h"
#include "tools/nullmeter/plot_canvas.h"
#include "tools/nullmeter/plot_drawing.h"
#include "tools/vsthost/png_file.h"

namespace nullmeter {
namespace files = plux::files;
namespace {

// Draws the plot and copies its pixels out; false when the graphics library
// cannot draw.
bool drawPixels(const PlotData& data, int height, std::vector<std::uint32_t>& pixels) {
    auto* context = new (std::nothrow) VSTGUI::COffscreenContext(nullptr, kPlotWidth, height);
    if (!context)
        return false;
    VSTGUI::CBitmap* bitmap = context->getBitmap();
    if (!context->getPlatformGraphics() || !bitmap) {
        context->forget();
        return false;
    }
    {
        PlotCanvas canvas(*context);
        drawPlot(canvas, data);
    }
    // The context goes first, so that everything drawn has reached the bitmap.
    bitmap->remember();
    context->forget();
    pixels.assign(static_cast<std::size_t>(kPlotWidth) * static_cast<std::size_t>(height), 0);
    const bool copied = bitmap->copyPixels(pixels.data());
    bitmap->forget();
    return copied;
}

bool render(files::StagedFile& output, const PlotData& data, std::string& error) {
    const std::string name = output.requested().u8string();
    auto fail = [&](const std::string& reason) {
        error = name + ": cannot write (" + reason + ")";
        return false;
    };
    if (output.temporary().empty())
        return fail("no output was begun");
    if (!(data.sampleRate > 0) || !std::isfinite(data.sampleRate))
        return fail("sample rate is not positive");
    if (data.fftSize < 2 && (!data.inputSpectra.empty() || !data.residualSpectra.empty()))
        return fail("spectrum without an FFT size");

    const int height = plotHeight(data);
    std::vector<std::uint32_t> pixels;
    if (!drawPixels(data, height, pixels))
        return fail("the graphics library cannot draw");
    std::string reason;
    if (!plux::vsthost::writePng(output, kPlotWidth, height, pixels.data(), reason)) {
        output.discard();
        return fail(reason);
    }
    return true;
}

}  // namespace

bool writePlotPng(const std::filesystem::path& path, const PlotData& data, std::string& error) {
    files::StagedFile output;
    return output.begin(path, error) && writePlotPng(output, data, error) && output.commit(error);
}

bool writePlotPng(files::StagedFile& output, const PlotData& data, std::string& error) {
    try {
        return render(output, data, error);
    } catch (const std::bad_alloc&) {
        output.discard();
        try {
            error = output.requested().u8string() + ": cannot write (out of memory)";
        } catch (const std::bad_alloc&) {
            error = "out of memory";  // fits the string's own buffer
        }
        return false;
    }
}

}  // namespace nullmeter
