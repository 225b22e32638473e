// The Windows side of the host window (host_window.h), with what only the
// Windows tests read: the pixels of any device context.
#pragma once

#include <windows.h>

#include "tests/host/host_window.h"

namespace hostwindow {

inline HWND asHwnd(void* window) {
    return static_cast<HWND>(window);
}

// width x height pixels of a device context from its top-left, through a
// 32-bit DIB section; false when they cannot be read.
bool readPicture(HDC source, int width, int height, Picture& picture);

}  // namespace hostwindow
