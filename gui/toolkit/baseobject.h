// Root of every toolkit object: reference counted (1 after construction,
// destroyed when the count drops to 0) with a message hook.
#pragma once

#include <cstdint>
#include <utility>

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

// Gives its reference away at the end of the scope, also when a view throws.
class Forgetting {
  public:
    explicit Forgetting(CBaseObject* held) : object(held) {}
    Forgetting(const Forgetting&) = delete;
    Forgetting& operator=(const Forgetting&) = delete;
    ~Forgetting() { object->forget(); }

  private:
    CBaseObject* object;
};

// Holds one reference of a toolkit object for as long as it lives.
template <class T> class HeldRef {
  public:
    HeldRef() = default;
    explicit HeldRef(T* held) : object(held) {
        if (object)
            object->remember();
    }
    HeldRef(const HeldRef& other) : HeldRef(other.object) {}
    HeldRef(HeldRef&& other) noexcept : object(other.object) { other.object = nullptr; }
    HeldRef& operator=(HeldRef other) noexcept {
        std::swap(object, other.object);
        return *this;
    }
    ~HeldRef() {
        if (object)
            object->forget();
    }
    T* get() const { return object; }

  private:
    T* object = nullptr;
};

}  // namespace VSTGUI
