// The message side of a thread: wait blocks, message delivery and the queue.
// The message router and game objects attached to it are not built yet, so for now no
// thread has an owner attached to a router: no message is ever taken or queued, and
// dropping the waits or the queue only clears the counts.
#include "script_runtime/gs_thread.h"

void GSThread::DropWaitBlocks() { waitCount_ = 0; }

void GSThread::FreeQueuedMessages() { queuedCount_ = 0; }

bool GSThread::ReceiveMessage(const GSMessage*, bool) { return false; }

bool GSThread::OfferQueuedMessages() { return false; }
