// The online-access packet handler and its stored-message file: the first byte chooses
// (odd: the rest is a stored-message file; even: a run of messages, each a 16-bit
// little-endian length and that many bytes, handled in order as delivered packets). A
// direct client and a group listener are registered, so stored and group traffic reaches
// them; every message handed over is read to its end.
#include "link/net/tme_packet.h"
#include "link/online/online_access_endpoint.h"
#include "link/online/online_access_listeners.h"
#include "fuzz_support.h"

namespace {

class ReadingClient : public OnlineAccessClientBase {
  public:
    ReadingClient() : OnlineAccessClientBase(KUID(1, 1, 0)) {}
    void Receive(const OnlineAccessMessage& message) override { message.name.View(); }
};

class ReadingListener : public OnlineGroupListener {
  public:
    bool AcceptCreated() override { return true; }
    void GroupOpened(const Kiv::PString&, TStream& rest) override { Drain(rest); }
    void MemberUpdate(TStream& rest) override { Drain(rest); }
    void GroupClosed() override {}
    void ClientRemoved(OnlineAccessClientBase*) override {}
    bool IsThisGroup(const Kiv::PString& group) override { return group.View() == "g"; }
    void GroupMessage(const OnlineGroupMessage&) override {}

  private:
    static void Drain(TStream& rest) {
        int32_t value = 0;
        while (rest.ReadInt32(value, 0)) {}
    }
};

void HandleMessages(OnlineAccessClientEndpoint& endpoint, const uint8_t* data, size_t size) {
    for (size_t at = 0; at + 2 <= size;) {
        const size_t length = std::min<size_t>(data[at] | data[at + 1] << 8, size - at - 2);
        TMEPacket packet;
        packet.Assign(length, data + at + 2);
        packet.Rewind();
        endpoint.HandlePacket(packet);
        at += 2 + length;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    OnlineAccessClientEndpoint endpoint(OnlineAccessServer{Kiv::String("127.0.0.1"), 9});
    ReadingListener listener;
    endpoint.AddGroupListener(&listener);
    if (data[0] & 1) {
        fuzz::InputStream file(data + 1, size - 1);
        endpoint.LoadStoredMessages(file.Stream());
    } else {
        HandleMessages(endpoint, data + 1, size - 1);
    }
    ReadingClient client;
    endpoint.AddClient(&client);
    endpoint.RemoveClient(&client);
    endpoint.RemoveGroupListener(&listener);
    return 0;
}
