// The state shared by every transport: status changes and the two-step socket close.
#include "link/net/net_transport.h"

#include <sys/socket.h>
#include <unistd.h>

NetTransport::~NetTransport() {
    const int retired = retiredSocket_.exchange(-1);
    if (retired != -1) ::close(retired);
    const int socket = socket_.exchange(-1);
    if (socket != -1) ::close(socket);
}

void NetTransport::SetFailed() {
    int32_t expected = kNetStatusOk;
    status_.compare_exchange_strong(expected, kNetStatusFailed);
}

void NetTransport::CloseSocket() {
    status_.store(kNetStatusClosed);
    const int socket = socket_.exchange(-1);
    if (socket == -1) return;
    ::shutdown(socket, SHUT_RDWR);
    retiredSocket_.store(socket);
}
