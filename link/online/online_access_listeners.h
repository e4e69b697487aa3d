// What registers with the online-access endpoint: message clients (a script object with a
// KUID that receives direct messages addressed to it) and group listeners (a script object
// that follows one group's events and messages). The script-side classes implement both.
#pragma once

#include "link/online/online_messages.h"
#include "engine/pstring.h"
#include "foundation/kuid/kuid.h"
#include "foundation/streams/t_stream.h"

class OnlineAccessClientBase {
public:
    explicit OnlineAccessClientBase(const KUID& clientKuid) : kuid(clientKuid) {}
    virtual ~OnlineAccessClientBase() = default;
    // A direct message addressed to this client; the endpoint keeps the message.
    virtual void Receive(const OnlineAccessMessage& message) = 0;

    KUID kuid;
};

class OnlineGroupListener {
public:
    virtual ~OnlineGroupListener() = default;
    // Whether this listener takes a group the server created for us.
    virtual bool AcceptCreated() = 0;
    // rest: the incoming message after the group name.
    virtual void GroupOpened(const Kiv::PString& group, TStream& rest) = 0;
    virtual void MemberUpdate(TStream& rest) = 0;
    virtual void GroupClosed() = 0;
    virtual void ClientRemoved(OnlineAccessClientBase* client) = 0;
    virtual bool IsThisGroup(const Kiv::PString& group) = 0;
    virtual void GroupMessage(const OnlineGroupMessage& message) = 0;
};
