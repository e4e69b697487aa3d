// The table of asset answers and the handle book-keeping. Columns of kAssetAnswers:
// request id, answer.
#include "daemon/asset_requests.h"

#include "daemon/asset_requests_answers.h"

namespace {

struct AssetAnswerEntry {
    int32_t id;
    AssetAnswer answer;
};

const AssetAnswerEntry kAssetAnswers[] = {
    {2, AnswerQueryAssets},
    {20, AnswerAssetConfig},     {21, AnswerAssetInfo},        {23, AnswerLocateAsset},
    {26, AnswerResolveKUID},     {27, AnswerResolveLatest},    {28, AnswerDescription},
    {29, AnswerLocateAssetFile}, {30, AnswerOpenAsset},        {31, AnswerCloseHandle},
    {32, AnswerFetchDetails},    {33, AnswerRevertAsset},      {34, AnswerCommitAsset},
    {35, AnswerCreateAsset},     {36, AnswerDeleteAsset},      {38, AnswerValidateAsset},
    {41, AnswerNothing},         {42, AnswerDependencyList},   {43, AnswerDependencies},
    {47, AnswerNothing},         {50, AnswerSetFavorite},      {54, AnswerSetKeywords},
    {58, AnswerGenerateKUID},    {90, AnswerUserName},         {100, AnswerReadSettings},
    {101, AnswerWriteSettings},  {102, AnswerReadSetting},     {103, AnswerWriteSetting},
    {121, AnswerGetLocalData},   {122, AnswerSetLocalData},    {181, AnswerCudaDisabled},
    {230, AnswerStartUrlFetch},  {231, AnswerReleaseUrlFetch}, {232, AnswerPollUrlFetch},
    {240, AnswerOnlineProfile},  {241, AnswerNothing},         {242, AnswerLoginCredential},
    {253, AnswerBuildList},      {256, AnswerNothing},
};

} // namespace

AssetCall::AssetCall(const DaemonRequest& request) : request_(request) {
    In().WriteBytes(request.payload.data(), request.payload.size());
    In().Rewind();
}

WireBytes AssetCall::Reply() {
    const auto length = static_cast<size_t>(Out().Tell());
    const uint8_t* data = out_.Buffer().GetData();
    return WireBytes(data, data + length);
}

bool AssetRequests::Answer(const DaemonRequest& request, DaemonResponse& response) {
    for (const AssetAnswerEntry& entry : kAssetAnswers) {
        if (entry.id != request.id) continue;
        AssetCall call(request);
        entry.answer(*this, call);
        call.Log().MoveTo(response, request.transactionId);
        response.reply = call.Reply();
        return true;
    }
    return false;
}

int64_t AssetRequests::OpenHandle(const OpenAsset& asset) {
    std::lock_guard<std::mutex> hold(lock_);
    if (handles_.size() >= kMaxHandles) return kNoHandle;
    const int64_t handle = nextHandle_++;
    handles_[handle] = asset;
    return handle;
}

std::optional<OpenAsset> AssetRequests::Handle(int64_t handle) {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = handles_.find(handle);
    if (found == handles_.end()) return std::nullopt;
    return found->second;
}

void AssetRequests::CloseHandle(int64_t handle) {
    std::lock_guard<std::mutex> hold(lock_);
    handles_.erase(handle);
}

int64_t AssetRequests::StartFetch(const std::string& url) {
    std::lock_guard<std::mutex> hold(lock_);
    if (fetches_.size() >= kMaxHandles) return kNoHandle;
    const int64_t handle = nextHandle_++;
    fetches_[handle] = url;
    return handle;
}

std::optional<std::string> AssetRequests::Fetch(int64_t handle) {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = fetches_.find(handle);
    if (found == fetches_.end()) return std::nullopt;
    return found->second;
}

void AssetRequests::EndFetch(int64_t handle) {
    std::lock_guard<std::mutex> hold(lock_);
    fetches_.erase(handle);
}
