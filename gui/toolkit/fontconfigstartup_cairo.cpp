// Start-up and shutdown of the cairo drawing for the process-wide start-up
// object. Fontconfig loads its configuration once; the faces fontconfig
// matched are dropped at each shutdown. cairo and fontconfig are shared with
// every other module of the host process (another plug-in may be drawing),
// so their process-wide caches are never torn down here.
#include "gui/toolkit/cairoobjects_cairo.h"
#include "gui/toolkit/drawingbackend.h"

#include <fontconfig/fontconfig.h>

namespace VSTGUI::backend {

bool startup(uintptr_t& token) {
    const bool started = FcInit() == FcTrue;
    token = started ? 1 : 0;
    return started;
}

void shutdown(uintptr_t /*token*/) {
    releaseFontFaces();
}

}  // namespace VSTGUI::backend
