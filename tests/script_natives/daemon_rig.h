// The in-process stand-in daemon for native tests: the request wrappers' fixture run by
// hand, so a native test can answer request ids and read the payloads the natives sent.
// Replies are written by hand in wire order (client/kav_requests_test_support.h).
#pragma once

#include <cstring>
#include <map>
#include <string>

#include "client/kav_requests_test_support.h"

namespace nativetest {

class DaemonRig : public KAVRequestsTest {
  public:
    void TestBody() override {}
    void Start() { SetUp(); }
    void Stop() { TearDown(); }
    // How often request id was sent.
    size_t Count(int32_t id) { return Payloads(id).size(); }
    // Request id is answered with its own payload (request 26: a KUID resolves to itself)
    // unless the payload has an answer of its own; payloads are kept.
    void Echo(int32_t id, std::map<Bytes, Bytes> answers = {}) {
        server_->SetHook(id, [this, id, answers](const DaemonRequest& request, DaemonResponse& response) {
            std::lock_guard<std::mutex> hold(lock_);
            payloads_[id].push_back(request.payload);
            const auto answer = answers.find(request.payload);
            response.reply = answer == answers.end() ? request.payload : answer->second;
        });
    }
    using KAVRequestsTest::Answer;
    using KAVRequestsTest::OnlyPayload;
    using KAVRequestsTest::Payloads;
};

// The reply of request 21 with the fields the Asset natives read; the rest are zero.
struct AssetRecordReply {
    std::string name;
    std::string region;
    std::string creator;
    std::string era;
    uint32_t favourite = 255;
    float build = 0.0f;
    KUID parent;
    bool valid = true;
};

inline Bytes RecordBytes(const KUID& kuid, const AssetRecordReply& r) {
    uint32_t build = 0;
    std::memcpy(&build, &r.build, sizeof build);
    const Bytes noBools(8 + 8 + 2, 0);
    return Concat({KuidBytes(kuid.userId, kuid.contentId, kuid.version), Str(r.name), Str(r.region), Str(""),
                   noBools, Le32(0), PStr(r.creator), Str(r.era), Le32(0), PStr(""), Str(""), Bytes(3, 0),
                   Le32(r.favourite), Le32(build), Le64(0), Le64(0),
                   KuidBytes(r.parent.userId, r.parent.contentId, r.parent.version), Byte(r.valid ? 1 : 0)});
}

}  // namespace nativetest
