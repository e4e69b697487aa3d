// What the script-library fuzz targets do with a library that loaded: in a context with a
// message router (on a clock that never moves), an instance of every class is made (its
// member initialisers run) and every function that takes no arguments is called on it
// through GSRuntime::CallScriptFunction, so the library's byte code runs in the
// interpreter. Whatever the code does, each call ends (the run budget stops loops) and
// everything it made is freed with the context. One array or string may hold at most 1 MB
// here: at the program's limit, a few changed constants would make every input allocate
// gigabytes, and the fuzzer would measure the allocator rather than the code.
#pragma once

#include <memory>

#include "fuzz_support.h"
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_context_heap.h"
#include "script_runtime/gs_game_object.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_object.h"
#include "script_runtime/gs_router.h"
#include "script_runtime/gs_runtime_call.h"

namespace fuzz {

inline void CallFunctions(GSContext& context, GSClass& gsClass, GSObject& object) {
    for (const GSFunction& function : gsClass.Functions()) {
        if (function.argumentSlots != 1 || !function.name || (function.flags & GS_FUNCTION_INITIALISER)) continue;
        GSSlot result{};
        const bool called = GSRuntime::CallScriptFunction(&context, &gsClass, object.GetInstance(), function.name,
                                                          &result, {});
        if (called && GSResultKindOf(function.returnType) == GS_KIND_REFERENCE)
            GSReleaseReference(static_cast<GSSlot*>(result.p));
        if (!object.GetInstance()) return;  // the code detached the object
    }
}

inline void RunLibrary(GSLibrary& library) {
    SetGSMaxObjectStorage(size_t{1} << 20);
    GSContext context(false, std::make_unique<GSRouter>([] { return uint32_t{0}; }));
    for (size_t i = 0; i < library.ClassCount(); ++i) {
        GSClass* gsClass = library.ClassAt(i);
        GSObject* object = gsClass->IsA("GameObject") ? new GSGameObject() : new GSObject();
        if (object->Attach(gsClass, &context)) {
            Require(GSScriptInstance::CastTo(gsClass, GSInstanceOf(object->GetInstance())) != nullptr,
                    "an instance is a view of its own class");
            CallFunctions(context, *gsClass, *object);
        }
        if (gsClass->IsStatic()) context.GetStaticInstance(gsClass);
        delete object;
    }
}

}  // namespace fuzz
