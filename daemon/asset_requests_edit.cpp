// Answers that open assets and change their folders: open (30) hands out a handle, and for
// edit copies the folder into "editing"; close (31) forgets the handle; details (32) give
// the folder of the handle; revert (33), commit (34), create (35) and delete (36) move the
// folders through the asset table. A handle the daemon did not give out is answered like a
// failure (all-ones handle, false, empty texts).
#include "daemon/asset_requests_answers.h"

namespace {

void WriteNoLocation(TStream& out) {
    out.WritePString(Kiv::PString());
    out.WriteString(Kiv::String());
}

void WriteLocationOf(AssetRequests& assets, TStream& out, const KUID& kuid, bool forEdit) {
    const std::optional<AssetRecord> record = assets.Table().Find(kuid);
    if (!record) {
        WriteNoLocation(out);
        return;
    }
    WriteAssetLocation(assets, out, *record, forEdit);
}

std::optional<OpenAsset> HandleOf(AssetRequests& assets, AssetCall& call, int64_t& handle) {
    call.In().ReadInt64(handle, kNoHandle);
    if (call.Short()) return std::nullopt;
    return assets.Handle(handle);
}

} // namespace

void AnswerOpenAsset(AssetRequests& assets, AssetCall& call) {
    const KUID kuid = KUID::ReadBinary(call.In());
    bool forEdit = false;
    call.In().ReadBool(forEdit, false);
    const std::optional<AssetRecord> record =
        call.Short() ? std::nullopt : assets.Table().Find(kuid);
    const bool usable = record && (!forEdit || assets.Table().OpenForEdit(kuid));
    const int64_t handle = usable ? assets.OpenHandle({kuid, forEdit}) : kNoHandle;
    call.Out().WriteInt64(handle);
    if (handle == kNoHandle) {
        WriteNoLocation(call.Out());
        return;
    }
    WriteLocationOf(assets, call.Out(), kuid, forEdit);
}

void AnswerCloseHandle(AssetRequests& assets, AssetCall& call) {
    int64_t handle = kNoHandle;
    if (HandleOf(assets, call, handle)) assets.CloseHandle(handle);
}

void AnswerFetchDetails(AssetRequests& assets, AssetCall& call) {
    int64_t handle = kNoHandle;
    const std::optional<OpenAsset> open = HandleOf(assets, call, handle);
    if (!open) {
        WriteNoLocation(call.Out());
        return;
    }
    WriteLocationOf(assets, call.Out(), open->kuid, open->forEdit);
}

void AnswerRevertAsset(AssetRequests& assets, AssetCall& call) {
    int64_t handle = kNoHandle;
    const std::optional<OpenAsset> open = HandleOf(assets, call, handle);
    call.Out().WriteBool(open && assets.Table().Revert(open->kuid));
}

void AnswerCommitAsset(AssetRequests& assets, AssetCall& call) {
    int64_t handle = kNoHandle;
    const std::optional<OpenAsset> open = HandleOf(assets, call, handle);
    int32_t flags = 0;
    call.In().ReadInt32(flags, 0);
    call.Out().WriteBool(open && assets.Table().Commit(open->kuid));
    call.Out().WriteBool(false);
}

void AnswerCreateAsset(AssetRequests& assets, AssetCall& call) {
    const KUID asked = KUID::ReadBinary(call.In());
    bool flag = false;
    call.In().ReadBool(flag, false);
    Kiv::String name;
    call.In().ReadString(name);
    const KUID kuid =
        call.Short() ? KUID::Null() : assets.Table().Create(asked, std::string(name.View()));
    const int64_t handle = kuid.IsNull() ? kNoHandle : assets.OpenHandle({kuid, true});
    call.Out().WriteInt64(handle);
    if (handle == kNoHandle) {
        KUID::Null().WriteBinary(call.Out());
        WriteNoLocation(call.Out());
        return;
    }
    kuid.WriteBinary(call.Out());
    WriteLocationOf(assets, call.Out(), kuid, true);
}

void AnswerDeleteAsset(AssetRequests& assets, AssetCall& call) {
    const KUID kuid = KUID::ReadBinary(call.In());
    bool flag = false;
    call.In().ReadBool(flag, false);
    call.Out().WriteBool(!call.Short() && assets.Table().Delete(kuid));
}

void AnswerValidateAsset(AssetRequests&, AssetCall& call) {
    call.Out().WriteBool(true);
}
