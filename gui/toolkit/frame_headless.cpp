// The frame's platform side for builds without a window system: a frame never
// has a window, so invalidation, capture, cursors and dropping do nothing, and
// the portable routing in frame.cpp runs on events given to it directly.
#include "gui/toolkit/frame.h"

#include <chrono>

namespace VSTGUI {

void CFrame::startPlatform() {}
// Without a window nothing is bound to a thread.
void CFrame::forgetOnOwnThread() {
    forget();
}
void CFrame::stopPlatform() {}
void CFrame::openSystemWindow() {}
void CFrame::closeSystemWindow() {}
void CFrame::invalidateSystemWindow(const CRect&) {}
void CFrame::presentSystemWindow(const CRect&) {}
void CFrame::setSystemComposition(bool) {}
void CFrame::requestLeaveNotification() {}
void CFrame::restoreSavedCursor() {}
bool CFrame::switchDropTarget(bool) {
    return false;
}

uint32_t CFrame::getTicks() const {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool CFrame::getPosition(CCoord& x, CCoord& y) const {
    x = 0;
    y = 0;
    return false;
}

void CFrame::resizeSystemWindows(CCoord, CCoord) {}

bool CFrame::getSize(CRect& rect) const {
    rect = CRect();
    return false;
}

bool CFrame::getCurrentMouseLocation(CPoint& where) const {
    where = CPoint();
    return false;
}

int32_t CFrame::getCurrentMouseButtons() const {
    return 0;
}

void CFrame::setCursor(CCursorType) {}

}  // namespace VSTGUI
