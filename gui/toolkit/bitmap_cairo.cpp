// Images over cairo: PNGs embedded by the build (embeddedresources.h) or in
// files, empty images, copies, and drawing with alpha. Every image is an
// ARGB32 image surface, premultiplied as cairo keeps it.
#include "gui/toolkit/cairoobjects_cairo.h"
#include "gui/toolkit/drawingbackend.h"
#include "gui/toolkit/embeddedresources.h"

#include <cstring>
#include <new>

namespace VSTGUI::backend {

namespace {

struct ByteReader {
    const unsigned char* data;
    size_t size;
    size_t position;
};

cairo_status_t readBytes(void* closure, unsigned char* out, unsigned int length) {
    auto* reader = static_cast<ByteReader*>(closure);
    if (length > reader->size - reader->position)
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, reader->data + reader->position, length);
    reader->position += length;
    return CAIRO_STATUS_SUCCESS;
}

// Takes the surface; null when it failed or no image can hold it. A PNG
// without alpha decodes as RGB24: it becomes ARGB32 like every other image.
PlatformImage* adoptSurface(cairo_surface_t* surface) {
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
        GDIPlusGlobals::getGeneration() == 0) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    if (cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32) {
        PlatformImage opaque{surface, nullptr};
        PlatformImage* converted = copyImage(&opaque);
        cairo_surface_destroy(surface);
        return converted;
    }
    auto* image = new (std::nothrow) PlatformImage;
    if (!image) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    countDrawingObjectCreated();
    image->surface = surface;
    return image;
}

}  // namespace

PlatformImage* loadResourceImage(const CResourceDescription& description) {
    const EmbeddedResource* resource = nullptr;
    if (description.type == CResourceDescription::kIntegerType)
        resource = findEmbeddedResource(description.id);
    else if (description.type == CResourceDescription::kStringType)
        resource = findEmbeddedResource(description.name);
    if (!resource || !resource->data || GDIPlusGlobals::getGeneration() == 0)
        return nullptr;
    ByteReader reader{resource->data, resource->size, 0};
    return adoptSurface(cairo_image_surface_create_from_png_stream(readBytes, &reader));
}

PlatformImage* loadImageFile(const char* utf8Path) {
    if (!utf8Path || !*utf8Path || GDIPlusGlobals::getGeneration() == 0)
        return nullptr;
    return adoptSurface(cairo_image_surface_create_from_png(utf8Path));
}

PlatformImage* createImage(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0 || GDIPlusGlobals::getGeneration() == 0)
        return nullptr;
    // Cleared to transparent black, as a new GDI+ bitmap.
    return adoptSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
}

PlatformImage* copyImage(PlatformImage* source) {
    if (!source || !source->surface)
        return nullptr;
    cairo_surface_flush(source->surface);
    const int width = cairo_image_surface_get_width(source->surface);
    const int height = cairo_image_surface_get_height(source->surface);
    PlatformImage* copy = createImage(width, height);
    if (!copy)
        return nullptr;
    cairo_t* cr = cairo_create(copy->surface);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, source->surface, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(copy->surface);
    return copy;
}

PlatformImage* createImageFromGdiData(const uint32_t* pixelRows, void* /*gdiBitmap*/, int32_t width,
                                      int32_t height) {
    // There are no GDI bitmaps here: only rows make an image.
    if (!pixelRows || width <= 0 || height <= 0 || width > INT32_MAX / 4 ||
        GDIPlusGlobals::getGeneration() == 0)
        return nullptr;
    if (cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width) != width * 4)
        return nullptr;
    // The rows stay with the bitmap, which outlives its image.
    auto* data = reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(pixelRows));
    return adoptSurface(
        cairo_image_surface_create_for_data(data, CAIRO_FORMAT_ARGB32, width, height, width * 4));
}

void destroyImage(PlatformImage* image) {
    if (!image)
        return;
    cairo_pattern_destroy(image->pattern);
    cairo_surface_destroy(image->surface);
    delete image;
    countDrawingObjectFreed();
}

int32_t imageWidth(PlatformImage* image) {
    return image && image->surface ? cairo_image_surface_get_width(image->surface) : 0;
}

int32_t imageHeight(PlatformImage* image) {
    return image && image->surface ? cairo_image_surface_get_height(image->surface) : 0;
}

bool readImagePixels(PlatformImage* image, uint32_t* argbRows) {
    if (!image || !image->surface)
        return false;
    cairo_surface_flush(image->surface);
    const int width = cairo_image_surface_get_width(image->surface);
    const int height = cairo_image_surface_get_height(image->surface);
    const int stride = cairo_image_surface_get_stride(image->surface);
    const unsigned char* data = cairo_image_surface_get_data(image->surface);
    if (!data)
        return false;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            const uint32_t premultiplied = row[x];
            const uint32_t alpha = premultiplied >> 24;
            uint32_t straight = 0;
            if (alpha == 255) {
                straight = premultiplied;
            } else if (alpha != 0) {
                straight = alpha << 24;
                for (const int shift : {16, 8, 0}) {
                    const uint32_t c =
                        (((premultiplied >> shift) & 0xff) * 255 + alpha / 2) / alpha;
                    straight |= (c > 255 ? 255 : c) << shift;
                }
            }
            *argbRows++ = straight;
        }
    }
    return true;
}

void drawImage(PlatformGraphics* graphics, PlatformImage* image, int32_t x, int32_t y,
               int32_t width, int32_t height, int32_t sourceX, int32_t sourceY, uint8_t alpha) {
    cairo_t* cr = graphics ? graphics->cairo : nullptr;
    if (!cr || !image || !image->surface || width <= 0 || height <= 0 || alpha == 0)
        return;
    if (!image->pattern) {
        image->pattern = cairo_pattern_create_for_surface(image->surface);
        if (cairo_pattern_status(image->pattern) != CAIRO_STATUS_SUCCESS) {
            cairo_pattern_destroy(image->pattern);
            image->pattern = nullptr;
            return;
        }
        cairo_pattern_set_filter(image->pattern, CAIRO_FILTER_NEAREST);
    }
    // Pattern space is image space: (sourceX, sourceY) lands on (x, y).
    cairo_matrix_t placement;
    cairo_matrix_init_translate(&placement, static_cast<double>(sourceX) - x,
                                static_cast<double>(sourceY) - y);
    cairo_pattern_set_matrix(image->pattern, &placement);
    cairo_set_source(cr, image->pattern);
    cairo_rectangle(cr, x, y, width, height);
    if (alpha == 255) {
        cairo_fill(cr);
        return;
    }
    cairo_save(cr);
    cairo_clip(cr);
    cairo_paint_with_alpha(cr, alpha / 255.0);
    cairo_restore(cr);
}

void deleteGdiBitmap(void* /*gdiBitmap*/) {}

}  // namespace VSTGUI::backend
