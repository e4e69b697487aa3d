// Native function bindings: a script function declared "native" is bound at link time to
// program code by its class name and its exact signature text ("$void@Soup::Clear()"),
// both interned, so matching is identity of the interned strings. Three kinds: plain
// functions (GSCNativeFunction), member functions of a native class T
// (GSCPPNativeFunction<T>) and member functions of the script context
// (GSCPPContextNativeFunction<T>). A call reports only whether the binding could reach its
// code.
#pragma once

#include "engine/pstring.h"
#include "foundation/utils/double_link_list.h"
#include "script_runtime/gs_object.h"

class GSContext;
class GSStack;

class GSNativeFunction : public Utils::IDoubleLinkListNode {
  public:
    GSNativeFunction(const Kiv::PString& className, const Kiv::PString& signature)
        : className_(className), signature_(signature) {}
    ~GSNativeFunction() override = default;

    virtual bool Call(GSObject* object, GSStack* stack) = 0;

    const Kiv::PString& ClassName() const { return className_; }
    const Kiv::PString& Signature() const { return signature_; }

  private:
    Kiv::PString className_;
    Kiv::PString signature_;
};

class GSCNativeFunction : public GSNativeFunction {
  public:
    using Function = void (*)(GSContext* context, GSStack* stack);

    GSCNativeFunction(const Kiv::PString& className, const Kiv::PString& signature, Function function)
        : GSNativeFunction(className, signature), function_(function) {}

    bool Call(GSObject* object, GSStack* stack) override {
        if (!object) return false;
        function_(object->Context(), stack);
        return true;
    }

  private:
    Function function_;
};

template <class T>
class GSCPPNativeFunction : public GSNativeFunction {
  public:
    using Member = void (T::*)(GSStack* stack);

    // The member pointer carries any base adjustment of T itself.
    GSCPPNativeFunction(const Kiv::PString& className, const Kiv::PString& signature, Member member)
        : GSNativeFunction(className, signature), member_(member) {}

    bool Call(GSObject* object, GSStack* stack) override {
        T* target = dynamic_cast<T*>(object);
        if (!target) return false;
        (target->*member_)(stack);
        return true;
    }

  private:
    Member member_;
};

template <class T>
class GSCPPContextNativeFunction : public GSNativeFunction {
  public:
    using Member = void (T::*)(GSStack* stack);

    GSCPPContextNativeFunction(const Kiv::PString& className, const Kiv::PString& signature,
                               Member member)
        : GSNativeFunction(className, signature), member_(member) {}

    bool Call(GSObject* object, GSStack* stack) override {
        T* context = object ? dynamic_cast<T*>(object->Context()) : nullptr;
        if (!context) return false;
        (context->*member_)(stack);
        return true;
    }

  private:
    Member member_;
};
