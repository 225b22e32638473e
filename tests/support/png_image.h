// A PNG file's pixels read through the toolkit's drawing layer (cairo
// natively, GDI+ on Windows), for the plot tests of both builds.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "gui/toolkit/bitmap.h"

namespace plux::testing_support {

struct Image {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // 0xRRGGBB, rows top first
};

// Empty when the file cannot be read as an image.
inline Image readPng(const std::filesystem::path& path) {
    Image image;
    VSTGUI::CBitmap* bitmap = VSTGUI::loadBitmapFromFile(path.u8string().c_str());
    if (!bitmap)
        return image;
    const int width = static_cast<int>(bitmap->getWidth());
    const int height = static_cast<int>(bitmap->getHeight());
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    if (bitmap->copyPixels(pixels.data())) {
        for (std::uint32_t& p : pixels)
            p &= 0xFFFFFF;
        image = {width, height, std::move(pixels)};
    }
    bitmap->forget();
    return image;
}

// Strong colour (series), as against the greys of text, axes and grid.
inline bool coloured(std::uint32_t rgb) {
    const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return std::max({r, g, b}) - std::min({r, g, b}) > 100;
}

}  // namespace plux::testing_support
