#include "tools/vsthost/editor_platform_win32.h"

#include "tools/vsthost/png_file.h"
#include "tools/vsthost/text_win32.h"

#include <cmath>
#include <vector>

#include <windows.h>
#include <mmsystem.h>

namespace plux::vsthost {
namespace {

const wchar_t kWindowClass[] = L"vsthost editor host";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION;

bool registerWindowClass(std::string& error) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kWindowClass;
    if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        error = "cannot register the host window class: " + systemErrorText(GetLastError());
        return false;
    }
    return true;
}

// Copies what the window shows into 32-bit rows, top row first.
bool readPixels(HWND window, int width, int height, std::vector<std::uint32_t>& pixels,
                std::string& error) {
    HDC source = GetDC(window);
    if (!source) {
        error = "GetDC failed for the editor window";
        return false;
    }
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (memory && dib && bits) {
        HGDIOBJ previous = SelectObject(memory, dib);
        ok = BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY) != 0;
        if (!ok)
            error = "cannot read the editor's pixels: " + systemErrorText(GetLastError());
        GdiFlush();
        SelectObject(memory, previous);
        if (ok) {
            const auto* rows = static_cast<const std::uint32_t*>(bits);
            pixels.assign(rows, rows + static_cast<std::size_t>(width) * height);
        }
    } else {
        error = "cannot create a " + std::to_string(width) + " x " + std::to_string(height) +
                " bitmap for the editor's pixels";
    }
    if (dib)
        DeleteObject(dib);
    if (memory)
        DeleteDC(memory);
    ReleaseDC(window, source);
    return ok;
}

}  // namespace

Win32EditorPlatform::Win32EditorPlatform() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    ticksPerMs_ = static_cast<double>(frequency.QuadPart) / 1000.0;
    // Sleep() otherwise waits in steps of up to 15.6 ms, too coarse for
    // blocks of a few milliseconds.
    timeBeginPeriod(1);
}

Win32EditorPlatform::~Win32EditorPlatform() {
    closeWindow();
    timeEndPeriod(1);
}

void* Win32EditorPlatform::openWindow(int width, int height, std::string& error) {
    if (!registerWindowClass(error))
        return nullptr;
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, kWindowStyle, FALSE);
    // At the screen's origin, so no part of the editor lies off the display
    // and every pixel can be read back.
    HWND window = CreateWindowExW(0, kWindowClass, L"vsthost editor", kWindowStyle, 0, 0,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window) {
        error = "cannot create the host window: " + systemErrorText(GetLastError());
        return nullptr;
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    window_ = window;
    return window;
}

void Win32EditorPlatform::pumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool Win32EditorPlatform::saveEditorImage(const std::string& path, int& width, int& height,
                                          std::string& error) {
    HWND editor = window_ ? GetWindow(static_cast<HWND>(window_), GW_CHILD) : nullptr;
    if (!editor) {
        error = "the plug-in opened no editor window inside the host window";
        return false;
    }
    // Whatever is still invalid gets painted before the pixels are read.
    UpdateWindow(editor);
    pumpMessages();
    RECT client;
    GetClientRect(editor, &client);
    width = client.right - client.left;
    height = client.bottom - client.top;
    if (width <= 0 || height <= 0) {
        error = "the editor window is empty (" + std::to_string(width) + " x " +
                std::to_string(height) + ")";
        return false;
    }
    std::vector<std::uint32_t> pixels;
    return readPixels(editor, width, height, pixels, error) &&
           writePngFile(path, width, height, pixels.data(), error);
}

void Win32EditorPlatform::closeWindow() {
    if (!window_)
        return;
    DestroyWindow(static_cast<HWND>(window_));
    window_ = nullptr;
    pumpMessages();
}

double Win32EditorPlatform::milliseconds() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs_;
}

void Win32EditorPlatform::sleep(double ms) {
    Sleep(static_cast<DWORD>(std::ceil(ms)));
}

}  // namespace plux::vsthost
