// The tests' seam into the host wrapper (CPlux befriends it): the private
// state its tests check, which neither hosts nor the editor reach. Tests only;
// each accessor reads or changes the one field it names, taking no lock, so a
// test uses it where the field's own rules allow (plux.h).
#pragma once

#include <cstdint>
#include <vector>

#include "shell/plux.h"

class CPluxProbe {
  public:
    using DrawBinding = void (*)(CPlux*, VSTGUI::CDrawContext*, double, double);

    // The wrapper's locks, to see whether a section runs under them.
    static plux::platform::RecursiveLock& scriptLock(CPlux& plux) { return plux.scriptLock; }
    static plux::platform::RecursiveLock& editorLock(CPlux& plux) { return plux.editorLock; }

    // The MIDI ring processEvents writes and the script's reads empty.
    static int32_t midiWrite(const CPlux& plux) { return plux.midiWrite; }
    static int32_t midiRead(const CPlux& plux) { return plux.midiRead; }
    static const std::vector<VstMidiEvent>& midiRing(const CPlux& plux) { return plux.midiRing; }

    // The script object the graphics section runs on; null when the draws
    // run on the script itself.
    static TVexmold* drawScript(const CPlux& plux) { return plux.drawScript; }

    // The wrapper's copy of its callback table.
    static const TPluxCallbacks& callbacks(const CPlux& plux) { return plux.callbacks; }
    // Puts `draw` in place of the wrapper's graphics binding and answers the
    // one it replaces, so a test can count draws and pass them on.
    static DrawBinding replaceDraw(CPlux& plux, DrawBinding draw) {
        const DrawBinding previous = plux.callbacks.draw;
        plux.callbacks.draw = draw;
        return previous;
    }
};
