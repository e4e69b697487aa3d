// KAVClientStartOptions: what KAVClient::Start is given and keeps while the client runs.
// Of the five flag bytes only two act in the client: the fourth lets a request relaunch
// the daemon for a second attempt, the fifth travels in the handshake. The first three are
// carried for the daemon's sake and read by nothing here.
#pragma once

#include <cstdint>

using KAVStatusCallback = void (*)(int32_t status);

struct KAVClientStartOptions {
    KAVClientStartOptions() = default;

    KAVStatusCallback statusCallback = nullptr;  // receives status notifications
    bool flag1 = true;
    bool flag2 = true;
    bool flag3 = true;
    bool relaunch = true;       // a request may launch the daemon again
    bool handshakeFlag = true;  // sent in the handshake
};
