// Attaching and detaching script instances, and the end of a native object.
#include "script_runtime/gs_object.h"

#include "script_runtime/gs_class.h"

GSObject::~GSObject() {
    GSScriptInstance* instance = GSInstanceOf(scriptReference_);
    if (instance) {
        if (instance->ReferenceCount() <= 1 && instance->Class()) {
            instance->SetReferenceCount(0);
            instance->SetNativeObject(nullptr);
            GSScriptInstance::Destroy(instance->Class(), instance);
        } else {
            instance->SetNativeObject(nullptr);
            GSScriptInstance::Release(instance);
        }
    }
    scriptReference_ = nullptr;
    context_ = nullptr;
}

bool GSObject::Attach(GSClass* gsClass, GSContext* context) {
    if (!gsClass) {
        Detach();
        return false;
    }
    if (scriptReference_) return false;
    context_ = context;
    return gsClass->CreateInstance(this, context);
}

void GSObject::Detach() {
    GSScriptInstance* instance = GSInstanceOf(scriptReference_);
    scriptReference_ = nullptr;
    context_ = nullptr;
    if (!instance) return;
    instance->SetNativeObject(nullptr);
    GSScriptInstance::Release(instance);
}
