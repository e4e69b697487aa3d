// Creating the script instance of a native object: the block, the layout triples, and the
// member initialisers of the ancestors (most distant first) and of the class.
#include <new>

#include "script_runtime/gs_class.h"
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_context_heap.h"
#include "script_runtime/gs_initialiser_run.h"
#include "script_runtime/gs_object.h"

namespace {

bool RunInitialiserOf(const GSClass* gsClass, GSSlot* view) {
    const GSFunction* initialiser = gsClass ? gsClass->Initialiser() : nullptr;
    if (!initialiser || initialiser->code.empty()) return true;
    return RunGSInitialiser(*initialiser, view) == kGSExecDone;
}

}  // namespace

bool GSClass::CreateInstance(GSObject* nativeObject, GSContext* context) {
    if (!nativeObject || GSInstanceOf(nativeObject->GetInstance())) return false;
    const size_t bytes = sizeof(GSScriptInstance) + sizeof(GSSlot) * static_cast<size_t>(instanceSlotCount_);
    void* block = GSContextHeap::Alloc(bytes);
    auto* instance = new (block) GSScriptInstance(context ? &context->Registry() : nullptr, nativeObject, this);
    GSSlot* slots = instance->Slots();
    nativeObject->SetScript(slots, context);
    for (const GSLayoutTriple& triple : layout_) {
        slots[triple.slot] = triple.kind == 0 ? GSIntSlot(triple.value)
                                              : GSPointerSlot(methodTable_.data() + triple.value);
    }

    bool done = true;
    for (size_t i = ancestors_.size(); done && i-- > 0;)
        done = RunInitialiserOf(AncestorClass(i), slots + ancestors_[i].offset);
    if (done) done = RunInitialiserOf(this, slots);
    if (done) return true;

    // A failed initialiser may have stored references in members, and may have handed `me`
    // out: the members are released, and the block goes only with its last reference.
    nativeObject->SetScript(nullptr, nullptr);
    instance->SetNativeObject(nullptr);
    instance->ReleaseMembers();
    GSScriptInstance::Release(instance);
    return false;
}
