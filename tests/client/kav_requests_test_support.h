// Test support of the request wrappers: the stand-in daemon run in-process with a hook per
// request id that records each payload and answers a scripted reply, and helpers that
// write wire fields by hand (KUIDs, the two string forms, 64-bit words).
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "daemon/daemon_server.h"
#include "foundation/soup/binary_file.h"
#include "foundation/streams/buffer_stream.h"
#include "kav_client_test_peer.h"

inline Bytes Le64(uint64_t value) {
    return Concat({Le32(static_cast<uint32_t>(value)), Le32(static_cast<uint32_t>(value >> 32))});
}
inline Bytes Le16(uint16_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
}
inline Bytes Byte(uint8_t value) { return {value}; }
// int32 content id, then version << 25 | user id's low 25 bits.
inline Bytes KuidBytes(int32_t user, int32_t content, int32_t version) {
    return Concat({Le32(static_cast<uint32_t>(content)),
                   Le32((static_cast<uint32_t>(version) << 25) |
                        (static_cast<uint32_t>(user) & 0x1FFFFFFu))});
}
// String: int32 size, bytes.
inline Bytes Str(const std::string& text) {
    return Concat({Le32(static_cast<uint32_t>(text.size())), Text(text)});
}
// PString: int32 length + 1, bytes, zero; int32 0 alone for the empty text.
inline Bytes PStr(const std::string& text) {
    if (text.empty()) return Le32(0);
    return Concat({Le32(static_cast<uint32_t>(text.size() + 1)), Text(text), Byte(0)});
}

// A soup in the "ACS$" form, as requests and replies carry it.
inline Bytes SoupBytes(const ACSChunkRef& soup) {
    BufferStream stream;
    TDBBinaryFile::WriteSoup(stream.Stream(), soup);
    const Kiv::DynamicBuffer& buffer = stream.Buffer();
    return Bytes(buffer.GetData(), buffer.GetData() + buffer.GetDataLength());
}

class KAVRequestsTest : public KAVClientTest {
protected:
    void SetUp() override {
        KAVClientTest::SetUp();
        DaemonOptions options;
        options.idleTime = std::chrono::milliseconds(0);
        server_ = std::make_unique<DaemonServer>(options);
        ASSERT_EQ(server_->Start(), DaemonStart::kStarted);
        port_.store(server_->Port());
        ASSERT_TRUE(KAVClient::Start(StartupOptions()));
    }
    void TearDown() override {
        KAVClientTest::TearDown();
        server_.reset();
    }

    // Request id is answered with reply and its payloads are kept.
    void Answer(int32_t id, const Bytes& reply) {
        server_->SetHook(id, [this, id, reply](const DaemonRequest& request,
                                               DaemonResponse& response) {
            std::lock_guard<std::mutex> hold(lock_);
            payloads_[id].push_back(request.payload);
            response.reply = reply;
        });
    }
    std::vector<Bytes> Payloads(int32_t id) {
        std::lock_guard<std::mutex> hold(lock_);
        return payloads_[id];
    }
    // The one payload of request id, or an empty one when it was not sent exactly once.
    Bytes OnlyPayload(int32_t id) {
        const std::vector<Bytes> all = Payloads(id);
        EXPECT_EQ(all.size(), 1u) << "request " << id;
        return all.size() == 1 ? all[0] : Bytes{};
    }
    // Stops the daemon and waits until the client sees the link gone.
    void TakeLinkDown() {
        server_->Stop();
        ASSERT_TRUE(WaitUntilDisconnected());
    }

    std::unique_ptr<DaemonServer> server_;
    std::mutex lock_;
    std::map<int32_t, std::vector<Bytes>> payloads_;
};
