// Button flags, mouse results, wheel axes and cursor types of the toolkit.
#pragma once

#include <cstdint>

namespace VSTGUI {

enum CButton : int32_t {
    kLButton = 1 << 1,
    kMButton = 1 << 2,
    kRButton = 1 << 3,
    kShift = 1 << 4,
    kControl = 1 << 5,
    kAlt = 1 << 6,
    kApple = 1 << 7,
    kButton4 = 1 << 8,
    kButton5 = 1 << 9,
    kDoubleClick = 1 << 10,
};

enum CMouseEventResult : int32_t {
    kMouseEventNotImplemented = 0,
    kMouseEventHandled = 1,
    kMouseEventNotHandled = 2,
};

enum CMouseWheelAxis : int32_t {
    kMouseWheelAxisX = 0,
    kMouseWheelAxisY = 1,
};

enum CCursorType : int32_t {
    kCursorDefault = 0,
    kCursorWait = 1,
    kCursorHSize = 2,
    kCursorVSize = 3,
    kCursorSizeAll = 4,
    kCursorNESWSize = 5,
    kCursorNWSESize = 6,
    kCursorCopy = 7,
    kCursorNotAllowed = 8,
    kCursorHand = 9,
};

// A key event's answer when no view handled it.
constexpr int32_t kKeyNotHandled = -1;

}  // namespace VSTGUI
