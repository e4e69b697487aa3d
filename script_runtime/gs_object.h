// GSObject: the native side of a script-visible object (reference kind 3). A script class
// instance is always attached to one: the interpreter makes a plain GSObject for a script
// class, natives attach instances to the objects they make. Deleting the object detaches
// its instance and destroys it when nothing else holds it.
#pragma once

#include "script_runtime/gs_script_instance.h"

class GSClass;
class GSContext;
class GSStack;

class GSObject : public GSObjectReference {
  public:
    GSObject() : GSObject(GS_REFERENCE_OBJECT) {}
    ~GSObject() override;

    GSSlot* GetReference() override { return scriptReference_; }
    // The script reference: slot 0 of the attached instance, or null.
    GSSlot* GetInstance() const { return scriptReference_; }
    GSContext* Context() const { return context_; }

    // With a class: makes the instance (false when one is attached already). With null:
    // detaches (always false).
    virtual bool Attach(GSClass* gsClass, GSContext* context);
    // The attached instance loses its native object and one count.
    void Detach();

    // The native "$string@GSObject::GetGSClassName()": pushes a new string holding the class
    // name of `me`'s instance, or "void" when it has no class.
    static void GetGSClassName(GSContext* context, GSStack* stack);

    // Set by GSClass::CreateInstance.
    void SetScript(GSSlot* reference, GSContext* context) {
        scriptReference_ = reference;
        context_ = context;
    }

  protected:
    explicit GSObject(int32_t kind) : GSObjectReference(kind) {}

  private:
    GSSlot* scriptReference_ = nullptr;
    GSContext* context_ = nullptr;
};
