#include "tools/vsthost/window_pixels_x11.h"

#include <X11/Xutil.h>

namespace plux::x11 {
namespace {

// Errors of the calls in between are recorded instead of ending the process
// (Xlib's default handler exits); the handler is process-wide, so the previous
// one comes back at once.
int gErrorCode = 0;
extern "C" int recordError(Display*, XErrorEvent* event) {
    gErrorCode = event->error_code;
    return 0;
}

class ErrorTrap {
  public:
    explicit ErrorTrap(Display* display) : display_(display) {
        XSync(display_, False);
        gErrorCode = 0;
        previous_ = XSetErrorHandler(recordError);
    }
    ~ErrorTrap() {
        XSync(display_, False);
        XSetErrorHandler(previous_);
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;
    int code() {
        XSync(display_, False);
        return gErrorCode;
    }

  private:
    Display* display_;
    XErrorHandler previous_ = nullptr;
};

// Right shift that brings a channel mask's top bit to bit 7, negative for a
// left shift, and the mask's width in bits.
struct Channel {
    unsigned long mask = 0;
    int shift = 0;
    int bits = 0;
};

Channel channelOf(unsigned long mask) {
    Channel c;
    c.mask = mask;
    if (!mask)
        return c;
    int low = 0;
    while (!((mask >> low) & 1ul))
        ++low;
    while ((mask >> (low + c.bits)) & 1ul)
        ++c.bits;
    c.shift = low + c.bits - 8;
    return c;
}

std::uint32_t channelValue(unsigned long pixel, const Channel& c) {
    const unsigned long v = pixel & c.mask;
    unsigned long byte = c.shift >= 0 ? v >> c.shift : v << -c.shift;
    // Fewer than 8 bits: repeat the top bits in the low ones, so full is 255.
    if (c.bits > 0 && c.bits < 8)
        byte |= byte >> c.bits;
    return static_cast<std::uint32_t>(byte & 0xFFu);
}

}  // namespace

bool readWindowPixels(Display* display, Window window, int& width, int& height,
                      std::vector<std::uint32_t>& pixels, std::string& error) {
    width = height = 0;
    if (!display || !window) {
        error = "no window to read";
        return false;
    }
    ErrorTrap trap(display);
    XWindowAttributes attributes = {};
    if (!XGetWindowAttributes(display, window, &attributes) || trap.code()) {
        error = "the window is gone";
        return false;
    }
    if (attributes.map_state != IsViewable) {
        error = "the window is not shown (not mapped, or inside a window that is not)";
        return false;
    }
    int screenX = 0, screenY = 0;
    Window ignored = 0;
    XTranslateCoordinates(display, window, attributes.root, 0, 0, &screenX, &screenY, &ignored);
    const Screen* screen = attributes.screen;
    if (screenX < 0 || screenY < 0 || screenX + attributes.width > WidthOfScreen(screen) ||
        screenY + attributes.height > HeightOfScreen(screen)) {
        error = "the window lies partly off the screen";
        return false;
    }
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image || trap.code()) {
        if (image)
            XDestroyImage(image);
        error = "the X server did not give the window's pixels";
        return false;
    }
    // The image's masks come from the window's visual; true and direct colour
    // visuals only (every depth Xvfb and today's servers offer).
    const Visual* visual = attributes.visual;
    const Channel red = channelOf(image->red_mask ? image->red_mask : visual->red_mask);
    const Channel green = channelOf(image->green_mask ? image->green_mask : visual->green_mask);
    const Channel blue = channelOf(image->blue_mask ? image->blue_mask : visual->blue_mask);
    if (!red.mask || !green.mask || !blue.mask) {
        XDestroyImage(image);
        error = "the window's visual has no colour masks (depth " +
                std::to_string(attributes.depth) + ")";
        return false;
    }
    width = attributes.width;
    height = attributes.height;
    pixels.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            pixels[static_cast<std::size_t>(y) * width + x] =
                channelValue(p, red) << 16 | channelValue(p, green) << 8 | channelValue(p, blue);
        }
    XDestroyImage(image);
    return true;
}

bool windowSize(Display* display, Window window, int& width, int& height) {
    width = height = 0;
    if (!display || !window)
        return false;
    ErrorTrap trap(display);
    XWindowAttributes attributes = {};
    if (!XGetWindowAttributes(display, window, &attributes) || trap.code())
        return false;
    width = attributes.width;
    height = attributes.height;
    return true;
}

Window firstChild(Display* display, Window parent) {
    Window root = 0, up = 0, first = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (display && parent && XQueryTree(display, parent, &root, &up, &children, &count) &&
        count > 0)
        first = children[0];
    if (children)
        XFree(children);
    return first;
}

int countChildren(Display* display, Window parent) {
    Window root = 0, up = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!display || !parent || !XQueryTree(display, parent, &root, &up, &children, &count))
        count = 0;
    if (children)
        XFree(children);
    return static_cast<int>(count);
}

}  // namespace plux::x11
