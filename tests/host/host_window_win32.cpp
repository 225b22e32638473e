#include "tests/host/host_window_win32.h"

#include <psapi.h>

namespace hostwindow {

// Destroying a top-level window costs Wine seconds without a window manager,
// so the one window stays for the whole run.
void* hostWindow() {
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

void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void* editorWindow() {
    return GetWindow(asHwnd(hostWindow()), GW_CHILD);
}

int countChildren() {
    int count = 0;
    EnumChildWindows(
        asHwnd(hostWindow()),
        [](HWND, LPARAM counter) -> BOOL {
            ++*reinterpret_cast<int*>(counter);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

bool windowExists(void* window) {
    return window && IsWindow(asHwnd(window));
}

std::pair<int, int> clientSize(void* window) {
    RECT client = {};
    if (!window || !GetClientRect(asHwnd(window), &client))
        return {0, 0};
    return {client.right - client.left, client.bottom - client.top};
}

bool click(void* window, int x, int y) {
    if (!windowExists(window))
        return false;
    const LPARAM where = MAKELPARAM(x, y);
    SendMessageW(asHwnd(window), WM_LBUTTONDOWN, MK_LBUTTON, where);
    SendMessageW(asHwnd(window), WM_LBUTTONUP, 0, where);
    return true;
}

void paintOverAndExpose(void* window) {
    HWND own = asHwnd(window);
    HDC dc = own ? GetDC(own) : nullptr;
    if (!dc)
        return;
    RECT all = {};
    GetClientRect(own, &all);
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ReleaseDC(own, dc);
    InvalidateRect(own, nullptr, FALSE);
}

void finishPaints(void* window) {
    if (window)
        UpdateWindow(asHwnd(window));
    pumpMessages();
}

void sleepMs(int ms) {
    Sleep(static_cast<DWORD>(ms));
}

double nowMs() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool readPicture(HDC source, int width, int height, Picture& picture) {
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

bool readPicture(void* window, Picture& picture) {
    const auto size = clientSize(window);
    HDC source = window ? GetDC(asHwnd(window)) : nullptr;
    const bool ok = readPicture(source, size.first, size.second, picture);
    if (source)
        ReleaseDC(asHwnd(window), source);
    return ok;
}

Usage measureUsage() {
    Usage usage;
    usage.counts.emplace_back("GDI objects", GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    usage.counts.emplace_back("USER objects", GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(),
                             reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters))
        // Wine leaves PrivateUsage at 0; the committed private memory is also
        // what PagefileUsage counts.
        usage.memoryBytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    return usage;
}

}  // namespace hostwindow
