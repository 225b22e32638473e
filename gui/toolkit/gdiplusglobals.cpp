#include "gui/toolkit/gdiplusglobals.h"

#include "gui/toolkit/drawingbackend.h"
#include "gui/toolkit/fontdesc.h"

namespace VSTGUI {

namespace {
GDIPlusGlobals* gGlobals = nullptr;
int32_t gStartupCount = 0;
// Non-zero from just before the start-up until just after the shutdown, so
// that objects freed during the shutdown still count as alive.
int32_t gGeneration = 0;
}  // namespace

GDIPlusGlobals::GDIPlusGlobals() {
    ++gStartupCount;
    gGeneration = gStartupCount;
    started = backend::startup(token);
}

GDIPlusGlobals::~GDIPlusGlobals() {
    // Fonts first (the shared descriptions and any other live one): no GDI+
    // object may outlive the start-up that made it.
    freeAllPlatformFonts();
    if (started)
        backend::shutdown(token);
    gGeneration = 0;
}

void GDIPlusGlobals::enter() {  // UI thread
    if (gGlobals) {
        gGlobals->remember();
        return;
    }
    gGlobals = new GDIPlusGlobals();
}

void GDIPlusGlobals::exit() {  // UI thread
    if (!gGlobals)
        return;  // unbalanced exit: nothing to release
    GDIPlusGlobals* globals = gGlobals;
    if (globals->getNbReference() == 1)
        gGlobals = nullptr;
    globals->forget();
}

int32_t GDIPlusGlobals::getUserCount() {
    return gGlobals ? gGlobals->getNbReference() : 0;
}

int32_t GDIPlusGlobals::getStartupCount() {
    return gStartupCount;
}

int32_t GDIPlusGlobals::getGeneration() {
    return gGeneration;
}

}  // namespace VSTGUI
