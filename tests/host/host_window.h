// A host's side of an editor window for the host tests, on either build: one
// visible top-level window to open editors in (its handle is what
// effEditOpen receives: an HWND, or an X11 Window id cast to a pointer), the
// host's event handling, the editor's child window and what it shows, read
// back pixel by pixel. host_window_win32.cpp and host_window_x11.cpp hold the
// two sides.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace hostwindow {

// One window for the whole test run, at the screen's origin so that every
// editor pixel lies on the display and can be read back.
void* hostWindow();
// Handles every event waiting for the host (not the editor's own).
void pumpMessages();
// The editor's window: the host window's first child, null when it has none.
void* editorWindow();
int countChildren();
bool windowExists(void* window);
// Client area in pixels; {0, 0} for no window.
std::pair<int, int> clientSize(void* window);
// A left click at (x, y) of the window, as the user's mouse would send it.
bool click(void* window, int x, int y);
// Paints the whole window white behind the editor's back and has the system
// ask it for a paint, as when a covering window goes away. The editor paints
// on its next idle call (X11) or at once when paints are finished (Windows).
void paintOverAndExpose(void* window);
// Lets the editor finish pending paints where the system asks it to (Windows);
// on X11 the editor draws on its idle calls, so nothing is pending here.
void finishPaints(void* window);
// Waits about `ms` milliseconds, and a steady clock in milliseconds.
void sleepMs(int ms);
double nowMs();

// 0x00RRGGBB per pixel, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    static int red(uint32_t p) { return static_cast<int>((p >> 16) & 0xFF); }
    static int green(uint32_t p) { return static_cast<int>((p >> 8) & 0xFF); }
    static int blue(uint32_t p) { return static_cast<int>(p & 0xFF); }
    // The frame's red: strong red, little green or blue.
    static bool reddish(uint32_t p) { return red(p) >= 128 && green(p) <= 64 && blue(p) <= 64; }
    // The empty editor's black, with room for the faint edges of glows.
    static bool dark(uint32_t p) { return red(p) < 40 && green(p) < 40 && blue(p) < 40; }

    // Pixels in [left, right) x [top, bottom) that are not dark; the part of
    // the area outside the picture counts nothing.
    int countLit(int left, int top, int right, int bottom) const {
        left = left < 0 ? 0 : left;
        top = top < 0 ? 0 : top;
        right = right > width ? width : right;
        bottom = bottom > height ? height : bottom;
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                count += dark(at(x, y)) ? 0 : 1;
        return count;
    }
    // Share of the pixels along the four edges that are reddish.
    double redEdgeShare() const {
        int red = 0, total = 0;
        for (int x = 0; x < width; ++x) {
            red += (reddish(at(x, 0)) ? 1 : 0) + (reddish(at(x, height - 1)) ? 1 : 0);
            total += 2;
        }
        for (int y = 1; y + 1 < height; ++y) {
            red += (reddish(at(0, y)) ? 1 : 0) + (reddish(at(width - 1, y)) ? 1 : 0);
            total += 2;
        }
        return total ? static_cast<double>(red) / total : 0.0;
    }
};

// What the window shows now; false when it cannot be read.
bool readPicture(void* window, Picture& picture);

// What a leak check compares: counts of system objects that must come back
// to the same value, with their names, and the process's memory in use.
struct Usage {
    std::vector<std::pair<std::string, long>> counts;
    size_t memoryBytes = 0;
};
Usage measureUsage();

}  // namespace hostwindow
