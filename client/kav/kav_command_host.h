// Command-host mode: the tool registers with the daemon and serves the jobs it pushes
// until the link ends. Not built yet: it neither registers nor serves, and returns at once.
#pragma once

// Runs command-host mode; answers false when it ends. Not built yet: returns false at once
// without contacting the daemon.
bool KAVCommandHost();
