// Without a graphics library there is nothing to start: the start-up object
// still counts its users, so lifetimes behave as on Windows.
#include "gui/toolkit/drawingbackend.h"

namespace VSTGUI::backend {

bool startup(uintptr_t& token) {
    token = 0;
    return false;
}

void shutdown(uintptr_t /*token*/) {}

}  // namespace VSTGUI::backend
