// AssetRequests: the daemon's real answers to the asset, settings, user-name and URL-fetch
// requests, over an AssetTable. The dispatcher asks it after its own built-in answers; each
// answer reads the payload with the project's stream code and writes the reply fields in
// the order the client reads them. Open handles (requests 30, 32 to 35) live here.
//
//     auto assets = std::make_shared<AssetRequests>(table, record);
//     assets->Answer(request, response);  // false: not an asset request
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "daemon/asset_table.h"
#include "daemon/daemon_record.h"
#include "daemon/daemon_request.h"
#include "daemon/request_log.h"
#include "foundation/streams/buffer_stream.h"

// The payload as a stream to read, the reply as a stream to write, and the log whose
// entries go to the client before the reply (why a request was refused or failed).
class AssetCall {
  public:
    explicit AssetCall(const DaemonRequest& request);

    const DaemonRequest& Request() const { return request_; }
    TStream& In() { return in_.Stream(); }
    TStream& Out() { return out_.Stream(); }
    // Whether a read ran past the payload or met a bad length.
    bool Short() { return In().GetError() != 0; }
    WireBytes Reply();
    RequestLog& Log() { return log_; }

  private:
    const DaemonRequest& request_;
    BufferStream in_;
    BufferStream out_;
    RequestLog log_;
};

// The handle value meaning "none": both halves -1.
constexpr int64_t kNoHandle = -1;
constexpr size_t kMaxHandles = 65536;

struct OpenAsset {
    KUID kuid;
    bool forEdit = false;
};

class AssetRequests {
  public:
    AssetRequests(std::shared_ptr<AssetTable> table, DaemonRecord& record)
        : table_(std::move(table)), record_(record) {}

    bool Answer(const DaemonRequest& request, DaemonResponse& response);

    AssetTable& Table() { return *table_; }
    DaemonRecord& Record() { return record_; }

    // Handles are counted from 1; the client sees them as int64. Clients that never close
    // their handles cannot grow the books without end: past kMaxHandles open ones (and as
    // many fetches) the answer is kNoHandle.
    int64_t OpenHandle(const OpenAsset& asset);
    std::optional<OpenAsset> Handle(int64_t handle);
    void CloseHandle(int64_t handle);
    // URL fetches (230 to 232) have handles of their own.
    int64_t StartFetch(const std::string& url);
    std::optional<std::string> Fetch(int64_t handle);
    void EndFetch(int64_t handle);

  private:
    std::shared_ptr<AssetTable> table_;
    DaemonRecord& record_;
    std::mutex lock_;
    int64_t nextHandle_ = 1;
    std::map<int64_t, OpenAsset> handles_;
    std::map<int64_t, std::string> fetches_;
};
