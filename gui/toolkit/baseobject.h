// Root of every toolkit object: reference counted (1 after construction,
// destroyed when the count drops to 0) with a message hook.
#pragma once

#include <cstdint>

namespace VSTGUI {

// Messages are compared by identity, not by text. Each is one inline array,
// so every translation unit sees the same address (a pointer constant would
// be folded to each unit's own copy of the literal, which the Windows linker
// does not merge).
using CMessageResult = int32_t;
constexpr CMessageResult kMessageUnknown = 0;
constexpr CMessageResult kMessageNotified = 1;

inline constexpr char kMsgCheckIfViewContainer[] = "kMsgCheckIfViewContainer";
inline constexpr char kMsgNewFocusView[] = "kMsgNewFocusView";
inline constexpr char kMsgOldFocusView[] = "kMsgOldFocusView";
inline constexpr char kMsgLooseFocus[] = "LooseFocus";

class CBaseObject {
  public:
    CBaseObject() = default;
    CBaseObject(const CBaseObject&) : CBaseObject() {}
    CBaseObject& operator=(const CBaseObject&) = delete;
    virtual ~CBaseObject() = default;

    virtual void forget() {
        if (--referenceCount == 0)
            delete this;
    }
    virtual void remember() { ++referenceCount; }
    int32_t getNbReference() const { return referenceCount; }

    virtual CMessageResult notify(CBaseObject* /*sender*/, const char* /*message*/) {
        return kMessageUnknown;
    }

  private:
    int32_t referenceCount = 1;
};

}  // namespace VSTGUI
