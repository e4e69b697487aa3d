// The threads of a game object: making them, and running each once per update. A run that
// ends with anything but ER_Blocked (done, or an error) ends the thread.
#include "script_runtime/gs_game_object.h"
#include "script_runtime/gs_script_instance.h"
#include "script_runtime/gs_thread.h"

// A detached object whose end was requested gets none: its update request would delete it.
GSThread* GSGameObject::NewThread() {
    const GSScriptInstance* instance = GSInstanceOf(GetInstance());
    if (threads_.Count() >= kMaxThreads || !instance || !instance->Class()) return nullptr;
    if (!GetRouter() && DestroyRequested()) return nullptr;
    auto* thread = new GSThread(this, 0);
    threads_.PushFront(thread);
    RequestUpdate();
    return thread;
}

void GSGameObject::Update(float timeStep) {
    GSNode::Update(timeStep);
    Utils::IDoubleLinkListNode* position = threads_.Begin();
    while (position != threads_.End()) {
        auto* thread = static_cast<GSThread*>(position);
        if (thread->Execute(timeStep) == ER_Blocked) {
            position = position->Next();
            continue;
        }
        delete static_cast<GSThread*>(threads_.PopNode(position));
    }
    if (threads_.Count() > 0) RequestUpdate();
}
