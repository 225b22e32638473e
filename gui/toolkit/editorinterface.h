// The face of the editor that the frame sees.
#pragma once

#include <cstdint>

namespace VSTGUI {

class VSTGUIEditorInterface {
  public:
    // Idle pass, e.g. while the toolkit waits inside a modal loop.
    virtual void doIdleStuff() {}
    virtual int32_t getKnobMode() const { return 0; }
    virtual bool beginEdit(int32_t /*index*/) { return false; }
    virtual bool endEdit(int32_t /*index*/) { return false; }

  protected:
    virtual ~VSTGUIEditorInterface() = default;
};

}  // namespace VSTGUI
