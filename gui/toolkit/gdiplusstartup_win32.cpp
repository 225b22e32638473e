// GDI+ start-up and shutdown for the process-wide start-up object.
#include "gui/toolkit/drawingbackend.h"
#include "gui/toolkit/gdiplus_win32.h"

namespace VSTGUI::backend {

bool startup(uintptr_t& token) {
    // Version 1, no debug callback, background thread and external codecs
    // not suppressed, no output record.
    Gdiplus::GdiplusStartupInput input(nullptr, FALSE, FALSE);
    ULONG_PTR startupToken = 0;
    const bool started = Gdiplus::GdiplusStartup(&startupToken, &input, nullptr) == Gdiplus::Ok;
    token = started ? startupToken : 0;
    return started;
}

void shutdown(uintptr_t token) {
    Gdiplus::GdiplusShutdown(token);
}

}  // namespace VSTGUI::backend
