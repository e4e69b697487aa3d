// OnlineAccessClientEndpoint: the messages the server sends (login, direct messages, group
// events) and the group requests the endpoint sends.
#include "link/online/online_access_endpoint.h"

#include <cmath>
#include <cstdint>

#include "link/kav/kav_client.h"
#include "foundation/console/log_message.h"

namespace {

enum Kind : uint8_t {
    kLoginChallenge = 1,
    kChallengeAnswer = 2,
    kLoginResult = 3,
    kDirectMessage = 10,
    kVersionedMessage = 11,
    kGroupCreated = 20,
    kGroupOpened = 21,
    kGroupClosed = 22, // out: leave the group
    kGroupMember = 23,
    kGroupMessage = 24,
    kSetModeFlags = 25,
    kSetUserModeFlags = 26,
    kCreateGroup = 27,
    kOpenGroup = 28,
};

} // namespace

void OnlineAccessClientEndpoint::HandlePacket(TMEPacket& packet) {
    uint8_t kind = 255;
    packet.ReadBytes(&kind, 1);
    switch (kind) {
    case kLoginChallenge: {
        Kiv::String error, challenge;
        packet.ReadString(error);
        packet.ReadString(challenge);
        if (!error.IsEmpty()) {
            status_ = kLoginFailed;
            return;
        }
        const Kiv::String credential = KAVClient::GetLoginCredential();
        QueueOrFree(Build(kChallengeAnswer, [&](TStream& out) { out.WriteString(credential); }));
        return;
    }
    case kLoginResult: {
        Kiv::String error;
        packet.ReadString(error);
        if (!error.IsEmpty()) {
            status_ = kLoginFailed;
            KAVClient::NotifyLoginFailed();
            return;
        }
        uint32_t limit = 0;
        float keepAlive = 0;
        packet.ReadUInt32(limit, 0);
        packet.ReadFloat(keepAlive, 0);
        // A value left out, 0 or below keeps the default: a limit of 0 would refuse every
        // post, a keep-alive of 0 acknowledge on every tick and never find the link silent.
        if (limit > 0 && limit <= static_cast<uint32_t>(INT32_MAX)) perMessageLimit_ = static_cast<float>(limit);
        if (std::isfinite(keepAlive) && keepAlive > 0) keepAliveInterval = keepAlive;
        status_ = kLoggedIn;
        return;
    }
    case kDirectMessage:
        return HandleDirect(std::make_unique<Message>(), packet);
    case kVersionedMessage:
        return HandleDirect(std::make_unique<VersionedMessage>(), packet);
    case kGroupCreated:
    case kGroupOpened:
    case kGroupClosed:
    case kGroupMember:
        return HandleGroupEvent(kind, packet);
    case kGroupMessage:
        return HandleGroupMessage(packet);
    default:
        return;
    }
}

void OnlineAccessClientEndpoint::HandleDirect(std::unique_ptr<Message> message,
                                              TMEPacket& packet) {
    if (!message->Read(packet)) {
        LogMessage("OnlineAccessClientEndpoint::HandlePacket> dropped a message that does not "
                   "read whole");
        return;
    }
    if (OnlineAccessClientBase* client = FindClient(message->kuid)) {
        client->Receive(*message);
        return;
    }
    LogMessage("OnlineAccessClientEndpoint::HandlePacket> Storing iKodrin message for %s",
               message->kuid.ToTag().c_str());
    Store(std::move(message));
}

void OnlineAccessClientEndpoint::HandleGroupEvent(uint8_t kind, TMEPacket& packet) {
    Kiv::PString group;
    packet.ReadPString(group);
    OnlineGroup* listener = nullptr;
    if (kind == kGroupCreated) {
        for (OnlineGroup* candidate : listeners_) {
            if (!candidate->AcceptCreated()) continue;
            listener = candidate;
            break;
        }
    } else {
        listener = FirstListenerOf(group);
    }
    if (!listener) {
        if (kind != kGroupClosed) SendLeaveGroup(group);
        return;
    }
    if (kind == kGroupClosed) return listener->GroupClosed();
    if (kind == kGroupMember) return listener->MemberUpdate(packet);
    listener->GroupOpened(group, packet);
}

void OnlineAccessClientEndpoint::HandleGroupMessage(TMEPacket& packet) {
    OnlineGroupMessage message;
    if (!message.Read(packet)) {
        LogMessage("OnlineAccessClientEndpoint::HandlePacket> dropped a group message that does "
                   "not read whole");
        return;
    }
    if (OnlineGroup* listener = FirstListenerOf(message.group)) {
        listener->GroupMessage(message);
        return;
    }
    SendLeaveGroup(message.group);
}

OnlineGroupListener* OnlineAccessClientEndpoint::FirstListenerOf(const Kiv::PString& group) const {
    for (OnlineGroup* listener : listeners_) {
        if (listener->IsThisGroup(group)) return listener;
    }
    return nullptr;
}

void OnlineAccessClientEndpoint::SendCreateGroup(int32_t value) {
    QueueOrFree(Build(kCreateGroup, [&](TStream& out) { out.WriteInt32(value); }));
}

void OnlineAccessClientEndpoint::SendOpenGroup(const Kiv::PString& group, int32_t value) {
    QueueOrFree(Build(kOpenGroup, [&](TStream& out) {
        out.WritePString(group);
        out.WriteInt32(value);
    }));
}

void OnlineAccessClientEndpoint::SendLeaveGroup(const Kiv::PString& group) {
    QueueOrFree(Build(kGroupClosed, [&](TStream& out) { out.WritePString(group); }));
}

void OnlineAccessClientEndpoint::SendGroupUser(const Kiv::PString& group, uint8_t remove,
                                               const Kiv::PString& user) {
    QueueOrFree(Build(kGroupMember, [&](TStream& out) {
        out.WritePString(group);
        out.WriteByte(remove);
        out.WritePString(user);
    }));
}

void OnlineAccessClientEndpoint::SendSetModeFlags(const Kiv::PString& group, int32_t first,
                                                  int32_t second) {
    QueueOrFree(Build(kSetModeFlags, [&](TStream& out) {
        out.WritePString(group);
        out.WriteInt32(first);
        out.WriteInt32(second);
    }));
}

void OnlineAccessClientEndpoint::SendSetUserModeFlags(const Kiv::PString& group,
                                                      const Kiv::PString& user, int32_t first,
                                                      int32_t second) {
    QueueOrFree(Build(kSetUserModeFlags, [&](TStream& out) {
        out.WritePString(group);
        out.WritePString(user);
        out.WriteInt32(first);
        out.WriteInt32(second);
    }));
}
