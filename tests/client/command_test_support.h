// Test support of the commands: the dispatcher run against the in-process stand-in daemon
// with standard output and standard error captured, the command's results log in its
// printed form, a private temporary folder, and the reply of request 21 written field by
// field in wire order.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "client/dispatcher.h"
#include "foundation/kuid/kuid.h"
#include "foundation/results/results_log.h"
#include "asset_record_test_support.h"
#include "kav_requests_test_support.h"

inline Bytes KuidWire(const KUID& kuid) { return KuidBytes(kuid.userId, kuid.contentId, kuid.version); }

inline uint32_t LoadLe32(const Bytes& bytes, size_t at) {
    if (at + 4 > bytes.size()) return 0xFFFFFFFFu;
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
           (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

// The KUID at the start of a payload (content id, then version << 25 | user id).
inline KUID PayloadKUID(const Bytes& payload) {
    const uint32_t word = LoadLe32(payload, 4);
    const int32_t user = static_cast<int32_t>((word & 0x1FFFFFFu) << 7) >> 7;
    return KUID(user, static_cast<int32_t>(LoadLe32(payload, 0)), static_cast<int32_t>(word >> 25));
}

// A private folder, removed with everything in it.
class TemporaryFolder {
public:
    TemporaryFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/kodrin-cmd-XXXXXX";
        if (!mkdtemp(pattern.data())) return;
        char resolved[PATH_MAX];
        path_ = realpath(pattern.c_str(), resolved) ? resolved : pattern;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string Path(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::string CurrentFolder() {
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof buffer) ? buffer : "";
}

class CommandTest : public KAVRequestsTest {
protected:
    void TearDown() override {
        log_.reset();
        KAVRequestsTest::TearDown();
    }

    // Runs "KodrinUtil <words...>" through the dispatcher into a fresh log; standard output
    // and standard error of the command are kept in out_ and err_.
    int Run(const std::vector<const char*>& words) {
        std::vector<std::string> texts = {"KodrinUtil"};
        texts.insert(texts.end(), words.begin(), words.end());
        std::vector<char*> argv;
        for (std::string& text : texts) argv.push_back(text.data());
        argv.push_back(nullptr);
        log_ = std::make_unique<ResultsLog>();
        KodrinUtil::StartupRecord record;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int result =
            KodrinUtil::RunCommand(*log_, record, static_cast<int>(texts.size()), argv.data());
        out_ = testing::internal::GetCapturedStdout();
        err_ = testing::internal::GetCapturedStderr();
        return result;
    }

    // Each entry of the last command's log as the results printer shows it, without the
    // line end: prefix, asset tag, " : ", text.
    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        std::lock_guard<std::recursive_mutex> hold(log_->Mutex());
        for (const ResultsLogEntry& entry : log_->Entries()) {
            const KUID asset = KUID::Parse(entry.subject.GetValueText().c_str(), false);
            const char* prefix = entry.kind == ResultsLogKind::Error         ? "- "
                                 : entry.kind == ResultsLogKind::Warning     ? "! "
                                 : entry.kind == ResultsLogKind::Information ? "; "
                                                                             : "+ ";
            lines.push_back(prefix + std::string(asset.ToTag().View()) + " : " + entry.text.Std());
        }
        return lines;
    }

    // Records the payloads of each request id and answers it with an empty reply.
    void RecordOnly(const std::vector<int32_t>& ids) {
        for (int32_t id : ids) Answer(id, {});
    }
    // How many of the recorded ids were sent at all.
    size_t RequestsSent(const std::vector<int32_t>& ids) {
        size_t sent = 0;
        for (int32_t id : ids) sent += Payloads(id).size();
        return sent;
    }

    // Request id answered per call by answer; payloads kept.
    void AnswerEach(int32_t id, DaemonHook answer) {
        server_->SetHook(id, [this, id, answer](const DaemonRequest& request,
                                                DaemonResponse& response) {
            {
                std::lock_guard<std::mutex> hold(lock_);
                payloads_[id].push_back(request.payload);
            }
            answer(request, response);
        });
    }
    void ForgetPayloads() {
        std::lock_guard<std::mutex> hold(lock_);
        payloads_.clear();
    }

    std::unique_ptr<ResultsLog> log_;
    std::string out_;
    std::string err_;
};
