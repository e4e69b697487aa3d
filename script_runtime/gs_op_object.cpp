// Object instructions: class tests and casts through the executing library's class
// references, object creation (a nested run of the member initialisers on the machine's
// static thread; a game object then joins the context's router), the context's static
// instances, and the reference tests.
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_game_object.h"
#include "script_runtime/gs_interpreter.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_opcode.h"
#include "script_runtime/gs_router.h"
#include "script_runtime/gs_thread.h"

namespace GSInterpreter {

namespace {

GSClass* ClassOperand(GSRun& run) {
    const GSClassRef* ref = run.library->GetClassRef(ReadU16(run.ip));
    run.ip += 2;
    return ref ? ref->gsClass : nullptr;
}

bool Derives(const GSClass* instanceClass, const GSClass* gsClass) {
    if (!instanceClass || !gsClass) return false;
    return instanceClass == gsClass || instanceClass->AncestorIndex(gsClass) >= 0;
}

bool ObjectIsA(GSRun& run) {
    GSClass* gsClass = ClassOperand(run);
    GSSlot* reference = RefOf(*run.sp);
    if (!reference) return run.Fail(ER_NullReference);
    PutInt(*run.sp, Derives(GSInstanceOf(reference)->Class(), gsClass) ? 1 : 0);
    GSReleaseReference(reference);
    return true;
}

// The executing thread's frames are set aside while the initialisers run, so that they run
// from an empty frame chain even when this is the static thread itself.
bool ObjectNew(GSRun& run) {
    GSClass* gsClass = ClassOperand(run);
    if (!gsClass) return run.Fail(ER_ClassCreateError);
    run.stack->SetTop(run.sp);
    GSThread::SavedState saved;
    run.thread->SaveState(saved);
    GSGameObject* gameObject = gsClass->IsA("GameObject") ? new GSGameObject() : nullptr;
    GSObject* object = gameObject ? gameObject : new GSObject();
    GSContext* context = GSContext::Current();
    const bool created = object->Attach(gsClass, context);
    run.thread->RestoreState(saved);
    if (!created) {
        delete object;
        return run.Fail(ER_ClassCreateError);
    }
    if (gameObject && context && context->GetRouter()) context->GetRouter()->AddNode(gameObject);
    *++run.sp = GSPointerSlot(object->GetInstance());
    return true;
}

// A context that cannot supply the instance (no context, not a static class, construction
// failed) gives null.
bool ObjectStatic(GSRun& run) {
    GSClass* gsClass = ClassOperand(run);
    GSContext* context = GSContext::Current();
    run.stack->SetTop(run.sp);
    GSObject* object = context ? context->GetStaticInstance(gsClass) : nullptr;
    GSSlot* reference = object ? object->GetInstance() : nullptr;
    GSAddReference(reference);
    *++run.sp = GSPointerSlot(reference);
    return true;
}

bool ObjectCast(GSRun& run) {
    GSClass* gsClass = ClassOperand(run);
    if (!gsClass) return run.Fail(ER_LinkError);
    GSSlot* reference = RefOf(*run.sp);
    if (!reference) return true;
    GSSlot* view = GSScriptInstance::CastTo(gsClass, GSInstanceOf(reference));
    if (!view) GSReleaseReference(reference);
    *run.sp = GSPointerSlot(view);
    return true;
}

bool ObjectCompare(GSRun& run) {
    GSSlot* b = RefOf(*run.sp);
    --run.sp;
    GSSlot* a = RefOf(*run.sp);
    PutInt(*run.sp, GSInstanceOf(a) == GSInstanceOf(b) ? 0 : 1);
    GSReleaseReference(a);
    GSReleaseReference(b);
    return true;
}

template <bool kNull>
bool ObjectIsNull(GSRun& run) {
    GSSlot* reference = RefOf(*run.sp);
    PutInt(*run.sp, (reference == nullptr) == kNull ? 1 : 0);
    GSReleaseReference(reference);
    return true;
}

}  // namespace

void FillObjectHandlers(GSOpHandler* table) {
    table[OP_ObjectIsA] = ObjectIsA;
    table[OP_ObjectNew] = ObjectNew;
    table[OP_ObjectStatic] = ObjectStatic;
    table[OP_ObjectCast] = ObjectCast;
    table[OP_ObjectCompare] = ObjectCompare;
    table[OP_ObjectIsNull] = ObjectIsNull<true>;
    table[OP_ObjectIsNotNull] = ObjectIsNull<false>;
}

}  // namespace GSInterpreter
