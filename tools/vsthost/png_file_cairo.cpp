#include "tools/vsthost/png_file.h"

#include <cstring>

#include <cairo.h>


namespace plux::vsthost {

bool writePng(files::StagedFile& file, int width, int height, const std::uint32_t* pixels,
              std::string& error) {
    const std::string utf8Path = file.requested().u8string();
    if (!pixels || width <= 0 || height <= 0) {
        error = "cannot write " + utf8Path + " (no pixels)";
        return false;
    }
    // RGB24 is a native-endian 32-bit word per pixel with its top byte unused:
    // the same layout as ours, row by row (cairo may pad its rows).
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_status_t status = cairo_surface_status(surface);
    if (status == CAIRO_STATUS_SUCCESS) {
        cairo_surface_flush(surface);
        unsigned char* data = cairo_image_surface_get_data(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        for (int y = 0; y < height; ++y)
            std::memcpy(data + static_cast<std::size_t>(y) * stride,
                        pixels + static_cast<std::size_t>(y) * width,
                        static_cast<std::size_t>(width) * sizeof *pixels);
        cairo_surface_mark_dirty(surface);
        status = cairo_surface_write_to_png(surface, file.temporary().c_str());
    }
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        error = "cannot write " + utf8Path + " (" + cairo_status_to_string(status) + ")";
        return false;
    }
    return true;
}

}  // namespace plux::vsthost
