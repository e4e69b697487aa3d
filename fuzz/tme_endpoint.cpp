// TME datagrams as the endpoint receives them: the input is a run of datagrams, each one
// length byte and that many bytes, handed in order to an endpoint on a detached peer with
// a tick after each; delivered messages are read to the end.
#include "link/net/tme_endpoint.h"
#include "link/net/udp_socket.h"
#include "fuzz_support.h"

namespace {

class ReadingEndpoint : public TMEEndpoint {
  public:
    void Deliver(TMEPacket& packet) override { delivered += packet.ReadAll().size(); }
    size_t delivered = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    UdpPeer peer;
    ReadingEndpoint endpoint;
    endpoint.Attach(&peer);
    for (size_t at = 0; at < size;) {
        const size_t length = std::min<size_t>(data[at], size - at - 1);
        TMEEndpoint::OnDatagram(&endpoint, data + at + 1, length);
        endpoint.Tick();
        at += 1 + length;
    }
    endpoint.Disconnect();
    return 0;
}
