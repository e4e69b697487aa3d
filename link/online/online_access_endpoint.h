// OnlineAccessClientEndpoint: the tool's one link to the online-access server, a TME
// endpoint over a UDP peer. It logs in with the online profile and credential the daemon
// keeps (asking the daemon to open the "vxlogin://" address when there is no credential),
// hands direct messages to the registered client with their KUID or stores them until one
// registers, routes group traffic to group listeners (leaving groups nobody follows), and
// limits the bytes posted per message, per minute and per hour with two leaky buckets.
// Main thread only, like the script objects that use it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "link/net/tme_endpoint.h"
#include "link/net/udp_socket.h"
#include "link/online/online_access_listeners.h"
#include "link/online/online_access_server.h"
#include "link/online/online_messages.h"
#include "engine/pstring.h"
#include "engine/string.h"
#include "foundation/containers/block_array.h"

class KAVUrlFetch;

class OnlineAccessClientEndpoint : public TMEEndpoint {
public:
    using Message = OnlineAccessMessage;
    using VersionedMessage = OnlineAccessVersionedMessage;
    using OnlineGroup = OnlineGroupListener;

    enum Status : int32_t {
        kNoProfile = 0,
        kDisconnected = 1,
        kLoginFailed = 3,
        kLinkLost = 5,
        kConnecting = 6,
        kLoggedIn = 7,
    };
    // What a post answers.
    enum PostResult : int32_t { kQueued = 0, kNotLoggedIn = 1, kOverLimit = 4 };
    // Messages kept for clients that never register: the oldest go first beyond this.
    static constexpr int32_t kMaxStoredMessages = 1000;

    explicit OnlineAccessClientEndpoint(
        const OnlineAccessServer& server = OnlineAccessServer::FromEnvironment());
    ~OnlineAccessClientEndpoint() override;

    // The process's endpoint.
    static OnlineAccessClientEndpoint& Get();

    // Logs in unless connecting or logged in already (force connects anew); true when the
    // hello was queued.
    bool Connect(bool force);
    void Disconnect();
    void Tick() override;
    void Deliver(TMEPacket& packet) override { HandlePacket(packet); }
    void HandlePacket(TMEPacket& packet);
    void OnLinkClosed() override;

    void AddClient(OnlineAccessClientBase* client);
    void RemoveClient(OnlineAccessClientBase* client);
    OnlineAccessClientBase* FindClient(const KUID& kuid) const;
    bool HasClients() const { return !clients_.IsEmpty(); }
    void AddGroupListener(OnlineGroup* listener);
    void RemoveGroupListener(OnlineGroup* listener);

    int32_t PostMessage(const KUID& to, const Kiv::String& name, const ACSChunkRef& body,
                        uint8_t flag);
    int32_t PostGroupMessage(const KUID& kuid, const Kiv::String& group, const ACSChunkRef& body);
    void SendCreateGroup(int32_t value);
    void SendOpenGroup(const Kiv::PString& group, int32_t value);
    void SendLeaveGroup(const Kiv::PString& group);
    // remove: 0 adds the user to the group, 1 removes them.
    void SendGroupUser(const Kiv::PString& group, uint8_t remove, const Kiv::PString& user);
    void SendSetModeFlags(const Kiv::PString& group, int32_t first, int32_t second);
    void SendSetUserModeFlags(const Kiv::PString& group, const Kiv::PString& user,
                              int32_t first, int32_t second);

    // The stored messages in their file layout: int32 1, int32 count, the messages.
    void SaveStoredMessages(TStream& stream) const;
    // A first value other than 1 keeps the stored messages; else they are replaced by what
    // reads whole, up to the first damaged message.
    void LoadStoredMessages(TStream& stream);
    // "cache/oa_messages.dat" under the working folder.
    void SaveMessageCache() const;
    void LoadMessageCache();

    int32_t GetStatus() const { return status_; }
    int32_t StoredMessageCount() const { return stored_.Count(); }
    bool HasPendingLogin() const { return loginFetch_ != nullptr; }
    float PerMessageLimit() const { return perMessageLimit_; }
    float MinuteCounter() const { return minuteCounter_; }
    float HourCounter() const { return hourCounter_; }
    float ReconnectTimer() const { return reconnectTimer_; }

private:
    using Writer = std::function<void(TStream&)>;

    // The hello on a new link to the server.
    void OpenLink(const Kiv::String& profile);
    void DrainCounters(float dt);
    void PollLoginFetch();
    void ReleaseLoginFetch();
    // A packet holding the kind byte and what write puts after it.
    static std::unique_ptr<TMEPacket> Build(uint8_t kind, const Writer& write);
    // Hands the packet to the link; a refused one is freed. Whether it was queued.
    bool QueueOrFree(std::unique_ptr<TMEPacket> packet);
    int32_t Post(uint8_t kind, const Writer& write);
    void Store(std::unique_ptr<Message> message);
    // Reads the message, then hands it to its client or stores it.
    void HandleDirect(std::unique_ptr<Message> message, TMEPacket& packet);
    void HandleGroupEvent(uint8_t kind, TMEPacket& packet);
    void HandleGroupMessage(TMEPacket& packet);
    OnlineGroup* FirstListenerOf(const Kiv::PString& group) const;

    BlockArray<OnlineGroup*, 13> listeners_;
    float perMessageLimit_ = 32000.0f;
    float perMinuteLimit_ = 64000.0f;
    float perHourLimit_ = 500000.0f;
    float reconnectTimer_ = 0;
    int32_t status_ = kDisconnected;
    UdpPeer serverPeer_;
    UdpSocket socket_;
    float lastTick_ = 0;
    float hourCounter_ = 0;
    float minuteCounter_ = 0;
    KAVUrlFetch* loginFetch_ = nullptr;
    BlockArray<Message*, 13> stored_;
    BlockArray<OnlineAccessClientBase*, 13> clients_;
    OnlineAccessServer server_;
};

// The connect that scripts call: connects unless connecting or logged in, then registers the
// calling script object as a client in every case.
namespace OnlineAccess {
void Connect(OnlineAccessClientBase* scriptObject);
}
