// Root of every toolkit object: reference counted (1 after construction,
// destroyed when the count drops to 0) with a message hook.
#pragma once

#include <cstdint>

namespace VSTGUI {

// Messages are compared by identity, not by text.
using CMessageResult = int32_t;
constexpr CMessageResult kMessageUnknown = 0;
constexpr CMessageResult kMessageNotified = 1;

inline constexpr const char* kMsgCheckIfViewContainer = "kMsgCheckIfViewContainer";
inline constexpr const char* kMsgNewFocusView = "kMsgNewFocusView";
inline constexpr const char* kMsgOldFocusView = "kMsgOldFocusView";
inline constexpr const char* kMsgLooseFocus = "LooseFocus";

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
