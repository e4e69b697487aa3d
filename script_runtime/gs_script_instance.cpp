// Script instances: reference counting, destruction, casts, the teardown passes, and the
// operations on script references.
#include "script_runtime/gs_script_instance.h"

#include "script_runtime/gs_array.h"
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_context_heap.h"
#include "script_runtime/gs_game_object.h"
#include "script_runtime/gs_object.h"

void* GSObjectReference::operator new(size_t bytes) { return GSContextHeap::Alloc(bytes); }

void GSObjectReference::operator delete(void* memory) { GSContextHeap::Free(memory); }

GSContext* GSContextOf(GSSlot* reference) {
    GSScriptInstance* instance = GSInstanceOf(reference);
    return instance ? instance->GetContext() : nullptr;
}

bool GSMayStoreAcross(GSContext* ownerContext, GSSlot* value) {
    if (!value || !ownerContext) return true;
    GSContext* valueContext = GSContextOf(value);
    if (!valueContext || valueContext == ownerContext) return true;
    return valueContext->AllowsCrossContext();
}

// A game object attached to a router is not deleted here: it is asked to go, and its router
// deletes it once it is detached or updated.
void GSScriptInstance::Unreferenced() {
    GSObjectReference* native = nativeObject_;
    GSGameObject* gameObject = native && native->ReferenceKind() == GS_REFERENCE_GAME_OBJECT
                                   ? dynamic_cast<GSGameObject*>(native) : nullptr;
    if (gameObject && gameObject->GetRouter()) {
        gameObject->SetDestroyRequested();
        gameObject->RequestUpdate();
        return;
    }
    if (native) {
        delete native;
        return;
    }
    if (class_) Destroy(class_, this);
}

bool GSScriptInstance::Destroy(GSClass* gsClass, GSScriptInstance* instance) {
    if (!instance || gsClass != instance->class_) return false;
    instance->ReleaseMembers();
    instance->~GSScriptInstance();
    GSContextHeap::Free(instance);
    return true;
}

void GSScriptInstance::ReleaseMembers() {
    if (!class_) return;
    GSSlot* whole = Slots();
    auto releaseListed = [whole](const GSClass* owner, int32_t offset) {
        for (uint32_t slot : owner->ObjectSlots()) {
            GSSlot& member = whole[offset + static_cast<int32_t>(slot)];
            GSSlot* value = static_cast<GSSlot*>(member.p);
            member = GSSlot{};
            GSReleaseReference(value);
        }
    };
    const auto& ancestors = class_->Ancestors();
    for (size_t i = ancestors.size(); i-- > 0;) {
        const GSClass* ancestor = class_->AncestorClass(i);
        if (ancestor) releaseListed(ancestor, ancestors[i].offset);
    }
    releaseListed(class_, 0);
}

GSSlot* GSScriptInstance::CastTo(GSClass* gsClass, GSScriptInstance* instance) {
    if (!instance || !gsClass || !instance->class_) return nullptr;
    if (gsClass->IsA("GameObject") && !instance->nativeObject_) return nullptr;
    if (instance->class_ == gsClass) return instance->Slots();
    const int index = instance->class_->AncestorIndex(gsClass);
    if (index < 0) return nullptr;
    return instance->Slots() + instance->class_->Ancestors()[static_cast<size_t>(index)].offset;
}

void GSScriptInstance::Pin() { referenceCount_ += 2; }

// A game object stays attached here, so that the discard pass still finds and deletes it;
// its threads and handlers go now, while every object their stacks hold is still pinned.
void GSScriptInstance::DropReferences() {
    const int32_t kind = nativeObject_ ? nativeObject_->ReferenceKind() : 0;
    if (kind == GS_REFERENCE_STRING) return;
    if (kind == GS_REFERENCE_ARRAY) static_cast<GSArray*>(nativeObject_)->Resize(0);
    if (kind == GS_REFERENCE_GAME_OBJECT) static_cast<GSGameObject*>(nativeObject_)->DeleteThreadsAndHandlers();
    ReleaseMembers();
}

void GSScriptInstance::Discard() {
    GSTrackedObject::Discard();
    GSObjectReference* native = nativeObject_;
    if (native) {
        const int32_t kind = native->ReferenceKind();
        if (kind != GS_REFERENCE_OBJECT && kind != GS_REFERENCE_GAME_OBJECT) {
            delete native;  // the array or string around this header
            return;
        }
        ++referenceCount_;
        static_cast<GSObject*>(native)->Detach();
        delete native;
    }
    if (!class_) return;
    ReleaseMembers();
    this->~GSScriptInstance();
    GSContextHeap::Free(this);
}
