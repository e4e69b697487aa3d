// GSGameObject: the native side of a script object of a "GameObject" class (reference kind
// 4), which the message router will drive. For now it holds only what the native binding
// table needs: the type the GameObject natives bind to. Its nodes, threads, handlers and
// messages arrive with the router.
#pragma once

#include "script_runtime/gs_object.h"

class GSStack;
class GSThread;

class GSGameObject : public GSObject {
  public:
    GSGameObject() : GSObject(GS_REFERENCE_GAME_OBJECT) {}

    // The body every GameObject native is bound to until game objects and the router exist:
    // it does nothing.
    void PendingNative(GSStack* stack);

    // A new thread owned by this object (flags 0), for OP_CallThread and native thread
    // starts. The object does not keep a list of its threads yet: the caller owns the thread.
    GSThread* NewThread();
};
