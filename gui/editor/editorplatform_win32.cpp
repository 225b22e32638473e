#include <objbase.h>
#include <ole2.h>
#include <windows.h>

#include "gui/editor/editorplatform.h"

namespace plux::editorplatform {

bool initialiseOle() {
    const HRESULT result = OleInitialize(nullptr);
    return result == S_OK || result == S_FALSE;
}

void uninitialiseOle() {
    OleUninitialize();
}

uint32_t tickCount() {
    return GetTickCount();
}

uint64_t currentThreadId() {
    return GetCurrentThreadId();
}

void sleepMilliseconds(uint32_t milliseconds) {
    Sleep(milliseconds);
}

void dispatchOnePendingPaint() {
    MSG message;
    if (PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE))
        DispatchMessageW(&message);
}

}  // namespace plux::editorplatform
