// The single socket calls of the transports: one send or receive, repeated only when a
// signal interrupted it. Sends never raise SIGPIPE; a vanished peer is an error result.
#pragma once

#include <cstddef>
#include <sys/types.h>

ssize_t NetSocketSend(int socket, const void* data, size_t size);
ssize_t NetSocketReceive(int socket, void* buffer, size_t size, int flags);
