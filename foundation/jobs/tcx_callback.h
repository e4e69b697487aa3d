// The job objects that worker jobs run. A TCXCallbackBase is called with the job's argument
// and answers an int; TCXCallbackCPPVoidPtr calls a member function of a target object,
// TCXCallbackCIntPtr a plain function. The argument is pointer-sized because callers pass
// addresses through it (a success byte, the chain that posted the job) and use it as the key
// by which queued jobs are cancelled. A C++ member pointer already carries any adjustment of
// the object a base-class member needs, so no separate offset is stored.
#pragma once

#include <cstdint>

class TCXCallbackBase {
  public:
    virtual ~TCXCallbackBase() = default;
    virtual int32_t Call(intptr_t) { return -1; }
};

template <class Target> class TCXCallbackCPPVoidPtr : public TCXCallbackBase {
  public:
    using Member = void (Target::*)(intptr_t);

    TCXCallbackCPPVoidPtr(Target* target, Member member) : target_(target), member_(member) {}

    int32_t Call(intptr_t argument) override {
        (target_->*member_)(argument);
        return 0;
    }

  private:
    Target* target_;
    Member member_;
};

class TCXCallbackCIntPtr : public TCXCallbackBase {
  public:
    using Function = int32_t (*)(intptr_t);

    explicit TCXCallbackCIntPtr(Function function) : function_(function) {}

    int32_t Call(intptr_t argument) override { return function_(argument); }

  private:
    Function function_;
};
