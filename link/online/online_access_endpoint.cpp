// OnlineAccessClientEndpoint: logging in, the link's life, ticking and posting.
#include "link/online/online_access_endpoint.h"

#include "link/kav/kav_client.h"
#include "link/url_record.h"
#include "foundation/console/log_message.h"
#include "foundation/jobs/job_timing.h"
#include "foundation/jobs/process_identity.h"

namespace {

constexpr uint8_t kKindHello = 0;
constexpr uint8_t kKindGroupMessage = 24;
constexpr uint8_t kKindVersionedMessage = 11;
constexpr int32_t kLoginFetchMode = 2;
constexpr float kReconnectDelaySeconds = 10.0f;

} // namespace

OnlineAccessClientEndpoint::OnlineAccessClientEndpoint(const OnlineAccessServer& server)
    : server_(server) {}

OnlineAccessClientEndpoint::~OnlineAccessClientEndpoint() {
    ReleaseLoginFetch();
    TMEEndpoint::Disconnect();
    for (Message* message : stored_) delete message;
}

OnlineAccessClientEndpoint& OnlineAccessClientEndpoint::Get() {
    static OnlineAccessClientEndpoint endpoint;
    return endpoint;
}

bool OnlineAccessClientEndpoint::Connect(bool force) {
    if (!force && (status_ == kConnecting || status_ == kLoggedIn)) return false;
    const Kiv::String profile = KAVClient::GetOnlineProfile();
    if (profile.IsEmpty()) {
        LogMessage("OnlineAccessClientEndpoint::Connect> empty profile name");
        status_ = kNoProfile;
        return false;
    }
    Disconnect();
    status_ = kConnecting;
    if (KAVClient::GetLoginCredential().IsEmpty()) {
        // Whatever handles the login address stores a credential; the tick connects again
        // once the daemon reports the address handled.
        UrlRecord login;
        UrlRecord::Parse("vxlogin://", login);
        loginFetch_ = KAVClient::StartUrlFetch(login, kLoginFetchMode);
        return false;
    }
    OpenLink(profile);
    return true;
}

void OnlineAccessClientEndpoint::OpenLink(const Kiv::String& profile) {
    socket_.Open();
    socket_.AttachPeer(server_.host, server_.port, &serverPeer_);
    Attach(&serverPeer_);
    QueueOrFree(Build(kKindHello, [&profile](TStream& out) {
        out.WriteString(profile);
        out.WriteString(Kiv::String(GetProgramName()));
        out.WriteFloat(GetApplicationFloat());
        out.WriteInt32(GetApplicationInt());
        out.WriteByte(GetApplicationByte() ? 1 : 0);
    }));
}

void OnlineAccessClientEndpoint::Disconnect() {
    ReleaseLoginFetch();
    TMEEndpoint::Disconnect();
    UdpSocket::DetachPeer(&serverPeer_);
    status_ = kDisconnected;
}

void OnlineAccessClientEndpoint::OnLinkClosed() {
    if (status_ == kConnecting || status_ == kLoggedIn) status_ = kLinkLost;
}

void OnlineAccessClientEndpoint::Tick() {
    const float now = GetJobClock();
    const float dt = now - lastTick_;
    lastTick_ = now;
    DrainCounters(dt);
    reconnectTimer_ -= dt;
    if (reconnectTimer_ < -kReconnectDelaySeconds) reconnectTimer_ = 0;
    socket_.Receive();
    TMEEndpoint::Tick();
    PollLoginFetch();
}

void OnlineAccessClientEndpoint::DrainCounters(float dt) {
    hourCounter_ = std::max(0.0f, hourCounter_ - dt / 3600.0f * perHourLimit_);
    minuteCounter_ = std::max(0.0f, minuteCounter_ - dt / 60.0f * perMinuteLimit_);
}

void OnlineAccessClientEndpoint::PollLoginFetch() {
    if (!loginFetch_ || !loginFetch_->IsDone()) return;
    const int32_t fetchStatus = loginFetch_->GetStatus();
    ReleaseLoginFetch();
    if (fetchStatus == 0 && reconnectTimer_ < 0) {
        if (status_ == kConnecting && !Connect(true)) reconnectTimer_ = kReconnectDelaySeconds;
    } else if (status_ == kConnecting) {
        Disconnect();
    }
}

void OnlineAccessClientEndpoint::ReleaseLoginFetch() {
    KAVUrlFetch::Close(loginFetch_);
    loginFetch_ = nullptr;
}

std::unique_ptr<TMEPacket> OnlineAccessClientEndpoint::Build(uint8_t kind, const Writer& write) {
    auto packet = std::make_unique<TMEPacket>();
    packet->WriteByte(kind);
    write(*packet);
    return packet;
}

bool OnlineAccessClientEndpoint::QueueOrFree(std::unique_ptr<TMEPacket> packet) {
    if (!Queue(packet.get())) return false;
    packet.release();
    return true;
}

int32_t OnlineAccessClientEndpoint::Post(uint8_t kind, const Writer& write) {
    if (status_ != kLoggedIn) return kNotLoggedIn;
    std::unique_ptr<TMEPacket> packet = Build(kind, write);
    const auto size = static_cast<float>(packet->PayloadSize());
    if (hourCounter_ > perHourLimit_ || minuteCounter_ > perMinuteLimit_ ||
        size > perMessageLimit_)
        return kOverLimit;
    // A packet the link refuses (no peer, too many waiting) is not sent: nothing is counted.
    if (!QueueOrFree(std::move(packet))) return kOverLimit;
    hourCounter_ += size;
    minuteCounter_ += size;
    return kQueued;
}

int32_t OnlineAccessClientEndpoint::PostMessage(const KUID& to, const Kiv::String& name,
                                                const ACSChunkRef& body, uint8_t flag) {
    VersionedMessage message;
    message.kuid = to;
    message.name = name;
    message.body = body;
    message.version = 1;
    message.flag = flag;
    return Post(kKindVersionedMessage, [&message](TStream& out) { message.Write(out); });
}

int32_t OnlineAccessClientEndpoint::PostGroupMessage(const KUID& kuid, const Kiv::String& group,
                                                     const ACSChunkRef& body) {
    OnlineGroupMessage message;
    message.kuid = kuid;
    message.group = Kiv::PString(group.View());
    message.body = body;
    return Post(kKindGroupMessage, [&message](TStream& out) { message.Write(out); });
}

namespace OnlineAccess {

void Connect(OnlineAccessClientBase* scriptObject) {
    OnlineAccessClientEndpoint& endpoint = OnlineAccessClientEndpoint::Get();
    endpoint.Connect(false);
    endpoint.AddClient(scriptObject);
}

} // namespace OnlineAccess
