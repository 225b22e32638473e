// The items of a drag: text or file paths, handed out as UTF-8.
#pragma once

#include "gui/toolkit/baseobject.h"

#include <cstdint>

namespace VSTGUI {

class CDragContainer : public CBaseObject {
  public:
    enum ItemType : int32_t {
        kFile = 0,
        kText = 1,
        kUnicodeText = 2,
        kUnknown = -1,
        kError = -2,
    };

    // Restarts the iteration and answers the first item.
    virtual void* first(int32_t& size, int32_t& type) = 0;
    // The next item's bytes, valid until the next request; null when none is left.
    virtual void* next(int32_t& size, int32_t& type) = 0;
    virtual int32_t getType(int32_t index) const = 0;
    virtual int32_t getCount() const = 0;
};

}  // namespace VSTGUI
