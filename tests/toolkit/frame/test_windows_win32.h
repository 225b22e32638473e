// Windows for the frame tests: host-like parent windows, message pumping and
// reading pixels back from a window.
#pragma once

#include <windows.h>

#include <string>

namespace frametest {

// One borderless top-level window for the whole test run, at (0, 0) and
// 800 x 600: destroying a top-level window costs Wine seconds on a display
// without a window manager, so tests put their windows inside this one.
HWND testDesktop();

// A visible borderless child window of a test class at (x, y), width x height,
// inside parent or, without one, inside the test desktop.
HWND createHostWindow(HWND parent, int x, int y, int width, int height);

// Handles every message waiting for this thread.
void pumpMessages();

// The colour of one pixel of the window's client area as GDI shows it;
// CLR_INVALID when it cannot be read.
COLORREF pixelAt(HWND window, int x, int y);

// The frame window class's name for this module, "Plugin%p" of its handle.
std::wstring frameClassName();
bool frameClassRegistered();

// A window rectangle in its parent's client coordinates.
RECT rectInParent(HWND window);

// The count-th allocation of the program from now on (1: the next) throws
// std::bad_alloc, whichever thread makes it; 0 lets every allocation succeed.
void failAllocation(int count);

}  // namespace frametest
