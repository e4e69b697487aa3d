// The script side of every script-visible object. A GSScriptInstance header (a tracked
// object with a reference count, the native object it belongs to and its class) is followed
// directly by its slots. A script reference is the address of slot 0 of one view
// (subobject); slot 0 of a view holds minus the view's offset, so the whole object, and the
// header just before it, are found from any view. Arrays and strings embed a header with a
// single reference slot, so their references are handled exactly like instance references.
#pragma once

#include <cstddef>
#include <cstdint>

#include "script_runtime/gs_slot.h"
#include "script_runtime/gs_tracked_object.h"

class GSClass;
class GSContext;

// Reference kinds of GSObjectReference.
enum GSReferenceKind : int32_t {
    GS_REFERENCE_ARRAY = 1,
    GS_REFERENCE_STRING = 2,
    GS_REFERENCE_OBJECT = 3,
    GS_REFERENCE_GAME_OBJECT = 4,
};

// The root of every script-visible native type. Objects live on the "#GSContext" heap.
class GSObjectReference {
  public:
    explicit GSObjectReference(int32_t kind) : referenceKind_(kind) {}
    virtual ~GSObjectReference() = default;
    GSObjectReference(const GSObjectReference&) = delete;
    GSObjectReference& operator=(const GSObjectReference&) = delete;

    // The address of the object's script reference slot (null for a native object without
    // an instance).
    virtual GSSlot* GetReference() = 0;
    int32_t ReferenceKind() const { return referenceKind_; }

    static void* operator new(size_t bytes);
    static void operator delete(void* memory);

  private:
    int32_t referenceKind_;
};

class GSScriptInstance final : public GSTrackedObject {
  public:
    GSScriptInstance(GSTrackedObjectRegistry* registry, GSObjectReference* nativeObject,
                     GSClass* gsClass)
        : GSTrackedObject(registry), nativeObject_(nativeObject), class_(gsClass) {}

    void Pin() override;
    void DropReferences() override;
    void Discard() override;

    GSSlot* Slots() { return reinterpret_cast<GSSlot*>(this + 1); }
    int32_t ReferenceCount() const { return referenceCount_; }
    GSObjectReference* NativeObject() const { return nativeObject_; }
    GSClass* Class() const { return class_; }

    void AddReference() { ++referenceCount_; }
    void SetReferenceCount(int32_t count) { referenceCount_ = count; }
    void SetNativeObject(GSObjectReference* object) { nativeObject_ = object; }

    // The reference count falls by one; at 0 the object goes: its native object is deleted
    // (which destroys the instance), or an instance without one is destroyed.
    static void Release(GSScriptInstance* instance) {
        if (instance && --instance->referenceCount_ == 0) instance->Unreferenced();
    }
    // A class instance's end: member references released, registry left, block freed. False
    // when gsClass is not the instance's class.
    static bool Destroy(GSClass* gsClass, GSScriptInstance* instance);
    // The view of the instance for the class, or null.
    static GSSlot* CastTo(GSClass* gsClass, GSScriptInstance* instance);

    // Every object reference in the member slots of the class and its ancestors is released
    // and its slot cleared.
    void ReleaseMembers();

  private:
    // The last count is gone: the object ends.
    void Unreferenced();

    // Only Destroy ends a class instance (explicitly, on its heap block); embedded headers end
    // with the array or string around them.
    friend struct GSEmbeddedInstance;
    ~GSScriptInstance() = default;

    int32_t referenceCount_ = 1;
    GSObjectReference* nativeObject_;
    GSClass* class_;
};

static_assert(sizeof(GSScriptInstance) % alignof(GSSlot) == 0,
              "the slots follow the header without a gap");

// Operations on a script reference (the address of slot 0 of a view), null-safe where the
// design's are. They are inline: the interpreter runs them for nearly every reference it
// moves.
inline GSSlot* GSWholeObject(GSSlot* reference) { return reference ? reference + reference->i : nullptr; }
inline GSScriptInstance* GSInstanceOf(GSSlot* reference) {
    if (!reference) return nullptr;
    return reinterpret_cast<GSScriptInstance*>(GSWholeObject(reference)) - 1;
}
// Null for null.
inline GSScriptInstance* GSAddReference(GSSlot* reference) {
    GSScriptInstance* instance = GSInstanceOf(reference);
    if (instance) instance->AddReference();
    return instance;
}
// Nothing for null.
inline void GSReleaseReference(GSSlot* reference) {
    if (reference) GSScriptInstance::Release(GSInstanceOf(reference));
}
// The context an object belongs to, or null (no context, or null reference).
GSContext* GSContextOf(GSSlot* reference);
// The cross-context rule of arrays and member slots: a value of another context is refused
// unless that context allows it. A value that belongs to no context is accepted.
bool GSMayStoreAcross(GSContext* ownerContext, GSSlot* value);

// The header (registry slot, count, native object, class) and one reference slot of an array
// or a string.
struct GSEmbeddedInstance {
    GSEmbeddedInstance(GSTrackedObjectRegistry* registry, GSObjectReference* owner)
        : header(registry, owner, nullptr) {}
    GSScriptInstance header;
    GSSlot reference{};
};
