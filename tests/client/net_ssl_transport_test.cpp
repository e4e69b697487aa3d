// SSLTransport: the answers without a connection object, Close, Clone, and the ownership
// of the connection object and socket it is given.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <openssl/err.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include "link/net/net_startup.h"
#include "link/net/ssl_transport.h"

namespace {

TEST(NetSslTransport, WithoutAConnectionEveryTransferAnswersMinusOne) {
    SSLTransport transport;
    char buffer[4] = {};
    EXPECT_EQ(transport.Read(buffer, 4), -1);
    EXPECT_EQ(transport.Peek(buffer, 4), -1);
    EXPECT_EQ(transport.Write(buffer, 4), -1);
    EXPECT_TRUE(transport.BytesAvailable());
    EXPECT_EQ(transport.Clone(443), nullptr);
    EXPECT_EQ(transport.GetStatus(), kNetStatusOk);
    transport.Close();
    EXPECT_EQ(transport.GetStatus(), kNetStatusClosed);
    EXPECT_EQ(transport.GetSocket(), -1);
}

bool IsOpenDescriptor(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

// Destruction frees the connection object (the sanitizers would report a leak) and
// releases the socket, whether Close ran before or not.
TEST(NetSslTransport, OwnsItsConnectionAndSocket) {
    NetStartup();
    for (bool closeFirst : {false, true}) {
        int pair[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
        SSL* connection = SSL_new(NetSslClientContext());
        ASSERT_NE(connection, nullptr);
        SSL_set_fd(connection, pair[0]);
        {
            SSLTransport transport(connection, pair[0]);
            EXPECT_EQ(transport.GetSocket(), pair[0]);
            EXPECT_EQ(transport.Clone(443), nullptr);
            if (closeFirst) {
                transport.Close();
                EXPECT_EQ(transport.GetStatus(), kNetStatusClosed);
                EXPECT_EQ(transport.GetSocket(), -1);
                EXPECT_EQ(transport.GetConnection(), connection);  // stays until destruction
                char byte;
                EXPECT_EQ(::recv(pair[1], &byte, 1, 0), 0);  // the peer sees the end at once
            }
        }
        EXPECT_FALSE(IsOpenDescriptor(pair[0])) << closeFirst;
        ::close(pair[1]);
    }
    NetShutdown();
}

// A write to a vanished peer fails with -1; the SIGPIPE that OpenSSL's plain write raises
// neither ends the process nor stays pending.
TEST(NetSslTransport, AWriteToAVanishedPeerFailsWithoutSigpipe) {
    NetStartup();
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
    ::close(pair[1]);
    SSL* connection = SSL_new(NetSslClientContext());
    ASSERT_NE(connection, nullptr);
    SSL_set_fd(connection, pair[0]);
    SSL_set_connect_state(connection);
    {
        SSLTransport transport(connection, pair[0]);
        EXPECT_EQ(transport.Write("x", 1), -1);
    }
    sigset_t pending;
    sigemptyset(&pending);
    ASSERT_EQ(sigpending(&pending), 0);
    EXPECT_EQ(sigismember(&pending, SIGPIPE), 0);
    ERR_clear_error();
    NetShutdown();
}

}  // namespace
