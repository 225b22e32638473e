// A host's side of an editor window for the Windows tests: one visible
// top-level window to open editors in, the message pump, and what the
// editor's child window shows, read back pixel by pixel.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace hostwindow {

// One window for the whole test run, at the screen's origin so that every
// editor pixel lies on the display and can be read back. Destroying a
// top-level window costs Wine seconds without a window manager, so it stays.
inline HWND hostWindow() {
    static HWND window = [] {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        windowClass.lpszClassName = L"PluxEditorTestHost";
        RegisterClassW(&windowClass);
        HWND created = CreateWindowExW(0, L"PluxEditorTestHost", L"editor tests",
                                       WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 640, 360,
                                       nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        UpdateWindow(created);
        return created;
    }();
    return window;
}

inline void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

inline int countChildren(HWND parent) {
    int count = 0;
    EnumChildWindows(
        parent,
        [](HWND, LPARAM counter) -> BOOL {
            ++*reinterpret_cast<int*>(counter);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

inline SIZE clientSize(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    return SIZE{client.right - client.left, client.bottom - client.top};
}

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

    // Pixels in [left, right) x [top, bottom) that are not dark.
    int countLit(int left, int top, int right, int bottom) const {
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

// width x height pixels of a device context from its top-left, through a
// 32-bit DIB section; false when they cannot be read.
inline bool readPicture(HDC source, int width, int height, Picture& picture) {
    if (!source || width <= 0 || height <= 0)
        return false;
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (memory && dib && bits) {
        HGDIOBJ previous = SelectObject(memory, dib);
        ok = BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY) != 0;
        GdiFlush();
        SelectObject(memory, previous);
        if (ok) {
            const auto* rows = static_cast<const uint32_t*>(bits);
            picture.width = width;
            picture.height = height;
            picture.pixels.assign(rows, rows + static_cast<size_t>(width) * height);
            for (uint32_t& p : picture.pixels)
                p &= 0x00FFFFFF;
        }
    }
    if (dib)
        DeleteObject(dib);
    if (memory)
        DeleteDC(memory);
    return ok;
}

// What the window shows now, through its device context; false when it
// cannot be read.
inline bool readPicture(HWND window, Picture& picture) {
    const SIZE size = clientSize(window);
    HDC source = GetDC(window);
    const bool ok = readPicture(source, size.cx, size.cy, picture);
    if (source)
        ReleaseDC(window, source);
    return ok;
}

}  // namespace hostwindow
