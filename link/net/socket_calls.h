// The single socket calls of the transports: one send or receive, repeated only when a
// signal interrupted it. Sends never raise SIGPIPE; a vanished peer is an error result.
// A socket may carry a receive time-out, after which a receive fails instead of waiting on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

ssize_t NetSocketSend(int socket, const void* data, size_t size);
ssize_t NetSocketReceive(int socket, void* buffer, size_t size, int flags);
// Bounds every later receive on the socket to ms milliseconds (0: waits without end);
// false when the socket refuses the option.
bool NetSocketSetReceiveTimeout(int socket, int64_t ms);
