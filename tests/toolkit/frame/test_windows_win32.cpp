#include "test_windows_win32.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace frametest {

namespace {

const wchar_t* hostClass() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        windowClass.lpszClassName = L"FrameTestHost";
        registered = RegisterClassW(&windowClass) != 0;
    }
    return L"FrameTestHost";
}

}  // namespace

HWND testDesktop() {
    static HWND desktop =
        CreateWindowExW(0, hostClass(), L"frame tests", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600,
                        nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    return desktop;
}

HWND createHostWindow(HWND parent, int x, int y, int width, int height) {
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
    HWND window = CreateWindowExW(0, hostClass(), L"host", style, x, y, width, height,
                                  parent ? parent : testDesktop(), nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    pumpMessages();
    return window;
}

void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

COLORREF pixelAt(HWND window, int x, int y) {
    HDC windowDc = GetDC(window);
    if (!windowDc)
        return CLR_INVALID;
    COLORREF colour = CLR_INVALID;
    HDC memoryDc = CreateCompatibleDC(windowDc);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = 1;
    info.bmiHeader.biHeight = 1;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memoryDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        HGDIOBJ previous = SelectObject(memoryDc, bitmap);
        if (BitBlt(memoryDc, 0, 0, 1, 1, windowDc, x, y, SRCCOPY)) {
            GdiFlush();
            const uint32_t pixel = *static_cast<const uint32_t*>(bits);  // 0x00RRGGBB
            colour = RGB((pixel >> 16) & 0xff, (pixel >> 8) & 0xff, pixel & 0xff);
        }
        SelectObject(memoryDc, previous);
    }
    if (bitmap)
        DeleteObject(bitmap);
    DeleteDC(memoryDc);
    ReleaseDC(window, windowDc);
    return colour;
}

std::wstring frameClassName() {
    wchar_t name[64];
    wsprintfW(name, L"Plugin%p", static_cast<void*>(GetModuleHandleW(nullptr)));
    return name;
}

bool frameClassRegistered() {
    WNDCLASSEXW info = {};
    info.cbSize = sizeof(info);
    return GetClassInfoExW(GetModuleHandleW(nullptr), frameClassName().c_str(), &info) != 0;
}

RECT rectInParent(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace frametest

namespace {
std::atomic<int> allocationsUntilFailure{0};
}

namespace frametest {
void failAllocation(int count) {
    allocationsUntilFailure.store(count);
}
}  // namespace frametest

// The program's allocation, replaced so that tests can make one fail.
void* operator new(std::size_t size) {
    int left = allocationsUntilFailure.load();
    while (left > 0 && !allocationsUntilFailure.compare_exchange_weak(left, left - 1)) {
    }
    if (left == 1)
        throw std::bad_alloc();
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return ::operator new(size);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
