// The fixture of the daemon's asset tests: an installation in a temporary folder, its asset
// table seeded from a script text, the daemon in library mode over it, and one raw-socket
// client that sends request payloads written by hand and reads the reply payloads.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "daemon/daemon_server.h"
#include "daemon/seeded_daemon.h"
#include "daemon_test_support.h"
#include "engine/temp_folder.h"

namespace asset_test {

using namespace daemon_test;

inline std::string PString(const std::string& text) {
    return Le32(static_cast<uint32_t>(text.size() + 1)) + text + std::string(1, '\0');
}
inline std::string StringField(const std::string& text) {
    return Le32(static_cast<uint32_t>(text.size())) + text;
}

class AssetDaemonTest : public ::testing::Test {
  protected:
    // Seeds the table from the script text, installs its scripted answers and starts the
    // daemon with one client.
    void StartWith(const std::string& seed) {
        ASSERT_NO_FATAL_FAILURE(StartSeededDaemon(folder_, seed, table_, server_));
        client_ = std::make_unique<RawClient>(server_->Port());
        ASSERT_EQ(client_->Handshake(), kHandshakeReply);
    }

    // The reply payload of one request (the frame's header checked on the way).
    // The reply's payload; the log notes sent before it are kept in notes_.
    std::string Ask(int32_t id, const std::string& payload) {
        const uint32_t tid = ++transaction_;
        notes_.clear();
        if (!client_->Send(RequestBytes(id, tid, payload))) return "<send failed>";
        std::string header = client_->Read(12);
        const std::string logNote = Bytes({0x65, 0x74, 0x6F, 0x6E}) + Le32(3);
        while (header.size() == 12 && header.substr(0, 8) == logNote) {
            notes_.push_back(client_->Read(LengthAt(header, 8)));
            header = client_->Read(12);
        }
        if (header.size() != 12 ||
            header.substr(0, 8) != Bytes({0x6C, 0x70, 0x65, 0x72}) + Le32(tid)) {
            return "<bad header>";
        }
        return client_->Read(LengthAt(header, 8));
    }
    static uint32_t LengthAt(const std::string& bytes, size_t at) {
        uint32_t length = 0;
        for (size_t i = at + 4; i > at; --i)
            length = length << 8 | static_cast<uint8_t>(bytes[i - 1]);
        return length;
    }
    // Whether a log note of the last Ask holds text.
    bool NoteHolds(const std::string& text) const {
        for (const std::string& note : notes_)
            if (note.find(text) != std::string::npos) return true;
        return false;
    }
    bool Exists(const std::string& relative) const {
        return folder_.Exists("inst/UserData/" + relative);
    }
    std::string UserData(const std::string& relative) const {
        return folder_.Path("inst/UserData/" + relative);
    }

    TempFolder folder_;
    std::shared_ptr<AssetTable> table_;
    std::unique_ptr<DaemonServer> server_;
    std::unique_ptr<RawClient> client_;
    uint32_t transaction_ = 0;
    std::vector<std::string> notes_;
};

} // namespace asset_test
