// The threads of a game object. Game objects do not run or keep their threads yet; a new
// thread only knows its owner.
#include "script_runtime/gs_game_object.h"
#include "script_runtime/gs_thread.h"

GSThread* GSGameObject::NewThread() { return new GSThread(this, 0); }
