// The plot's layout and drawing, apart from where its pixels go.
#pragma once

#include "tools/nullmeter/plot.h"
#include "tools/nullmeter/plot_canvas.h"

namespace nullmeter {

constexpr int kPlotWidth = 1000;
// 700, or 1130 with the band panels.
int plotHeight(const PlotData& data);
// The whole picture, white background included, on a canvas of
// kPlotWidth x plotHeight(data).
void drawPlot(PlotCanvas& canvas, const PlotData& data);

}  // namespace nullmeter
