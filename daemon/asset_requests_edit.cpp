// Answers that open assets and change their folders: open (30) hands out a handle, and for
// edit copies the folder into "editing"; close (31) forgets the handle; details (32) give
// the folder of the handle; revert (33), commit (34), create (35) and delete (36) move the
// folders through the asset table. A handle the daemon did not give out is answered like a
// failure (all-ones handle, false, empty texts). Every refusal and failure is explained by
// an error entry about the asset in the request's log note: the client prints it.
#include <filesystem>

#include "daemon/asset_requests_answers.h"

namespace {

constexpr const char* kUnknownHandleText = "The asset handle is not open.";

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
    std::string why = kUnknownAssetText;
    const bool usable = record && (!forEdit || assets.Table().OpenForEdit(kuid, &why));
    const int64_t handle = usable ? assets.OpenHandle({kuid, forEdit}) : kNoHandle;
    call.Out().WriteInt64(handle);
    if (handle == kNoHandle) {
        if (usable) why = "Too many assets are open.";
        if (!call.Short()) call.Log().Error(kuid, why);
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

namespace {

// The asset of the handle a request starts with; none, with an error entry, when the
// handle is not one the daemon gave out.
std::optional<OpenAsset> OpenAssetOf(AssetRequests& assets, AssetCall& call) {
    int64_t handle = kNoHandle;
    const std::optional<OpenAsset> open = HandleOf(assets, call, handle);
    if (!open) call.Log().Error(KUID::Null(), kUnknownHandleText);
    return open;
}

// Whether the change succeeded; an error entry about the asset when it did not.
bool Explained(AssetCall& call, const KUID& kuid, bool done, const std::string& why) {
    if (!done) call.Log().Error(kuid, why);
    return done;
}

} // namespace

void AnswerRevertAsset(AssetRequests& assets, AssetCall& call) {
    const std::optional<OpenAsset> open = OpenAssetOf(assets, call);
    std::string why;
    call.Out().WriteBool(
        open && Explained(call, open->kuid, assets.Table().Revert(open->kuid, &why), why));
}

void AnswerCommitAsset(AssetRequests& assets, AssetCall& call) {
    const std::optional<OpenAsset> open = OpenAssetOf(assets, call);
    int32_t flags = 0;
    call.In().ReadInt32(flags, 0);
    std::string why;
    call.Out().WriteBool(
        open && Explained(call, open->kuid, assets.Table().Commit(open->kuid, &why), why));
    call.Out().WriteBool(false);
}

void AnswerCreateAsset(AssetRequests& assets, AssetCall& call) {
    const KUID asked = KUID::ReadBinary(call.In());
    bool flag = false;
    call.In().ReadBool(flag, false);
    Kiv::String name;
    call.In().ReadString(name);
    std::string why;
    const KUID kuid = call.Short() ? KUID::Null()
                                   : assets.Table().Create(asked, std::string(name.View()), &why);
    const int64_t handle = kuid.IsNull() ? kNoHandle : assets.OpenHandle({kuid, true});
    call.Out().WriteInt64(handle);
    if (handle == kNoHandle) {
        if (!call.Short()) call.Log().Error(kuid.IsNull() ? asked : kuid,
                                            kuid.IsNull() ? why : "Too many assets are open.");
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
    if (call.Short()) {
        call.Out().WriteBool(false);
        return;
    }
    std::string why;
    std::filesystem::path keptEdits;
    const bool deleted = assets.Table().Delete(kuid, &why, &keptEdits);
    if (deleted && !keptEdits.empty()) {
        call.Log().Add(ResultsLogKind::Information, kuid,
                       "The asset's edits were kept in " + keptEdits.string() + ".");
    }
    call.Out().WriteBool(Explained(call, kuid, deleted, why));
}

// The stand-in checks no content: an asset whose folder is there is valid.
void AnswerValidateAsset(AssetRequests&, AssetCall& call) {
    Kiv::PString location;
    Kiv::String folder;
    call.In().ReadPString(location);
    call.In().ReadString(folder);
    std::error_code error;
    const bool present =
        !call.Short() && std::filesystem::is_directory(std::string(folder.View()), error);
    if (!present) {
        call.Log().Error(KUID::Null(),
                         "The asset's folder " + std::string(folder.View()) + " cannot be read.");
    }
    call.Out().WriteBool(present);
}
