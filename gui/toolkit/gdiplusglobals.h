// The process-wide start-up of the graphics library. Every frame and every
// bitmap retains it for its life (enter/exit); the first user starts the
// library and the last one shuts it down, after dropping the platform fonts
// of every font description. UI thread only: not locked.
#pragma once

#include "gui/toolkit/baseobject.h"

#include <cstdint>

namespace VSTGUI {

class GDIPlusGlobals : public CBaseObject {
  public:
    // Retains the process-wide object, creating it (and starting the
    // graphics library) for the first user.
    static void enter();
    // Releases it; the last release shuts the graphics library down.
    static void exit();
    // Live users (0 when the library is not started).
    static int32_t getUserCount();
    // How many times the graphics library has been started in this process.
    static int32_t getStartupCount();
    // Identifies the running start-up: a positive number while started, 0
    // otherwise. Objects made under one start-up are dead once it changes.
    static int32_t getGeneration();

    GDIPlusGlobals(const GDIPlusGlobals&) = delete;

  private:
    GDIPlusGlobals();
    ~GDIPlusGlobals() override;

    uintptr_t token = 0;
    bool started = false;
};

}  // namespace VSTGUI
