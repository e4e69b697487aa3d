// PurgeResourcesAfterValidation: after each validation, and after every command-host job,
// the engine resources nothing holds are dumped from the resource cache and the interned
// names nothing references are freed, so nothing stays loaded between jobs. That is main
// thread work: called on another thread it only sets a flag, which the main thread's pump
// honours with RunDeferredResourcePurge.
#pragma once

void PurgeResourcesAfterValidation();
// On the main thread, the purge another thread asked for, if any; true when one ran.
bool RunDeferredResourcePurge();
