// Support of the install and command-host tests: the stand-in daemon run in-process over a
// real asset table in a temporary installation (seeded from a script text, its record file
// kept), the client started against it, and readers of the record: the ids of the requests
// sent since a mark, and a log's entries as "<kind> <subject tag>" lines.
#pragma once

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "daemon/daemon_server.h"
#include "daemon/seeded_daemon.h"
#include "engine/temp_folder.h"
#include "foundation/results/results_log.h"
#include "kav_client_test_peer.h"

// Two installed assets: <kuid:12:1> in folder "coal_wagon", <kuid:12:2> in "box_van".
inline constexpr const char* kTwoWagonsSeed = R"(assets
{
  0
  {
    folder "coal_wagon"
    config
    {
      kuid <kuid:12:1>
      username "Coal wagon"
    }
  }
  1
  {
    folder "box_van"
    config
    {
      kuid <kuid:12:2>
      username "Box van"
    }
  }
}
)";

class HostDaemonTest : public KAVClientTest {
  protected:
    void StartDaemon(const std::string& seed) {
        ASSERT_NO_FATAL_FAILURE(StartSeededDaemon(folder_, seed, table_, server_));
        port_.store(server_->Port());
        ASSERT_TRUE(KAVClient::Start(StartupOptions()));
    }
    void TearDown() override {
        KAVClientTest::TearDown();
        server_.reset();
    }

    std::vector<std::string> RecordLines() const {
        std::ifstream in(folder_.Path("record.txt"));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    // A mark for RequestIdsSince: the record's length now.
    size_t Mark() const { return RecordLines().size(); }
    // The ids of the requests recorded after the mark, in order.
    std::vector<int> RequestIdsSince(size_t mark) const {
        const std::vector<std::string> lines = RecordLines();
        std::vector<int> ids;
        for (size_t i = mark; i < lines.size(); ++i) {
            if (lines[i].rfind("request ", 0) != 0) continue;
            const size_t at = lines[i].find(" id=");
            ids.push_back(std::stoi(lines[i].substr(at + 4)));
        }
        return ids;
    }
    // The payload hex of the requests of that id recorded after the mark.
    std::vector<std::string> PayloadsSince(size_t mark, int id) const {
        const std::vector<std::string> lines = RecordLines();
        std::vector<std::string> payloads;
        const std::string tag = " id=" + std::to_string(id) + " ";
        for (size_t i = mark; i < lines.size(); ++i) {
            if (lines[i].rfind("request ", 0) != 0 || lines[i].find(tag) == std::string::npos) {
                continue;
            }
            const size_t data = lines[i].find(" data=");
            payloads.push_back(data == std::string::npos ? "" : lines[i].substr(data + 6));
        }
        return payloads;
    }
    static std::vector<std::string> EntryLines(const ResultsLog& log) {
        std::vector<std::string> lines;
        for (const ResultsLogEntry& entry : log.Entries()) {
            Kiv::String subject("-");
            if (entry.subject.Get()) entry.subject.Get()->GetValueText(subject);
            lines.push_back(std::to_string(entry.kind) + " " + subject.Std());
        }
        return lines;
    }
    std::string Inst(const std::string& relative) const { return folder_.Path("inst/" + relative); }

    TempFolder folder_;
    std::shared_ptr<AssetTable> table_;
    std::unique_ptr<DaemonServer> server_;
};
