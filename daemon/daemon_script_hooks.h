// Puts a script (daemon_script.h) into a server: one hook per scripted request id, which
// walks that id's entries in order and passes the request on to the daemon's own handler
// once every counted entry is used up, the script's handshake faults and its command-host
// jobs.
#pragma once

#include "daemon/daemon_script.h"
#include "daemon/daemon_server.h"

void InstallDaemonScript(const DaemonScript& script, DaemonServer& server);
