// Script contexts: library contexts with their static instances, the reference store of
// member slots, the router's shut-down and the teardown that ends every object still
// registered.
#include "script_runtime/gs_context.h"

#include "script_runtime/gs_class.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_log.h"
#include "script_runtime/gs_machine.h"
#include "script_runtime/gs_object.h"
#include "script_runtime/gs_router.h"
#include "script_runtime/gs_script_instance.h"

namespace {

GSContext* g_current = nullptr;

std::set<GSContext*>& Live() {
    static std::set<GSContext*> live;
    return live;
}

}  // namespace

GSMemoryBudget* GSMemoryBudgetOf(GSContext* context) { return context ? &context->Memory() : nullptr; }

GSContext::GSLibraryContext::GSLibraryContext(GSLibrary* owner)
    : library(owner), slots(static_cast<size_t>(owner->StaticClassCount()), nullptr) {}

void GSContext::GSLibraryContext::ReleaseStatics() {
    for (size_t i = slots.size(); i-- > 0;) {
        GSObject* object = slots[i];
        slots[i] = nullptr;
        if (object) GSReleaseReference(object->GetInstance());
    }
    slots.clear();
}

GSContext::GSContext(bool allowsCrossContext) : GSContext(allowsCrossContext, std::make_unique<GSRouter>()) {}

GSContext::GSContext(bool allowsCrossContext, std::unique_ptr<GSRouter> router)
    : registry_(this), router_(std::move(router)), allowsCrossContext_(allowsCrossContext) {
    Live().insert(this);
}

// The router goes before the registry: game objects are detached (and those whose end was
// requested deleted) before the remaining script objects are.
GSContext::~GSContext() {
    libraryContexts_.Clear();
    if (router_) {
        router_->Done();
        router_.reset();
    }
    Live().erase(this);
    if (g_current == this) g_current = nullptr;
    registry_.Teardown();
}

GSContext::GSLibraryContext* GSContext::GetLibraryContext(GSLibrary* library) {
    GSLibraryContext* found = libraryContexts_.Find(library->Id1(), library->Id2());
    if (found) return found;
    auto made = std::make_unique<GSLibraryContext>(library);
    found = made.get();
    libraryContexts_.Insert(library->Id1(), library->Id2(), std::move(made));
    return found;
}

GSObject* GSContext::GetStaticInstance(GSClass* gsClass) {
    if (!gsClass || !gsClass->IsStatic()) return nullptr;
    GSLibraryContext* libraryContext = GetLibraryContext(gsClass->Library());
    const int index = gsClass->Library()->StaticIndex(gsClass);
    if (index < 0 || static_cast<size_t>(index) >= libraryContext->slots.size()) return nullptr;
    GSObject*& slot = libraryContext->slots[static_cast<size_t>(index)];
    if (slot) return slot;
    auto* object = new GSObject();
    if (!object->Attach(gsClass, this)) {
        GSReleaseReference(object->GetInstance());
        delete object;
        GSLog("Could not construct static class %s for context", gsClass->Name());
        return nullptr;
    }
    slot = object;
    return object;
}

void GSContext::StoreReference(GSSlot* reference, int32_t slotIndex, GSScriptInstance* instance) {
    if (reference && !GSMayStoreAcross(instance->GetContext(), reference)) {
        GSReleaseReference(reference);
        reference = nullptr;
    }
    GSSlot& slot = instance->Slots()[slotIndex];
    GSSlot* old = static_cast<GSSlot*>(slot.p);
    slot = GSPointerSlot(reference);
    GSReleaseReference(old);
}

GSContext* GSContext::Current() { return g_current; }

void GSContext::SetCurrent(GSContext* context) { g_current = context; }

const std::set<GSContext*>& GSContext::LiveContexts() { return Live(); }
