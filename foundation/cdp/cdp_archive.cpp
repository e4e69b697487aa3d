// CDPArchive: opening and checking an archive, its asset list, adding assets, the KUID
// tables and saving.
#include "foundation/cdp/cdp_archive.h"

#include <cstdarg>
#include <string>

#include "engine/format.h"
#include "foundation/cdp/cdp_messages.h"
#include "foundation/soup/soup_file.h"

namespace {

void RemoveAll(KUIDList& set, const KUIDList& removed) {
    for (const KUID& kuid : removed) {
        auto at = set.Find(kuid);
        if (!at.IsEnd()) set.Erase(at);
    }
}

void SetKUIDTable(ACSChunkRef& root, const char* name, const KUIDList& set) {
    ACSChunkRef table = ACSChunkRef::FromKUIDSet(set);
    root.SetNamedSoup(name, table);
}

} // namespace

Kiv::PString CDPArchive::SetError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const std::string text = Kiv::FormatV(format, args);
    va_end(args);
    return Kiv::PString(text);
}

Kiv::PString CDPArchive::Open(const char* folder, const char* fileName) {
    root_.Release();
    root_.LoadFromFile(folder, fileName, nullptr, false);
    const Kiv::PString error = CheckRoot(root_);
    if (!error.IsEmpty()) root_.Release();
    return error;
}

Kiv::PString CDPArchive::CheckRoot(const ACSChunkRef& root) {
    if (!root.GetNamedTag("kind").ToPString().EqualsIgnoreCase("archive"))
        return SetError(CDPMessages::kNotACDP);
    if (root.GetNamedSoup("contents-table").CountTags() != root.GetNamedSoup("assets").CountTags())
        return SetError(CDPMessages::kDamaged);
    if (root.GetNamedTagAsInt("package-version", 0) != 1)
        return SetError(CDPMessages::kNewerVersion);
    return Kiv::PString();
}

int32_t CDPArchive::CountAssets() const {
    return root_.GetNamedSoup("assets").CountTags();
}

CDPAsset CDPArchive::GetAsset(int32_t index) const {
    return CDPAsset(root_.GetNamedSoup("assets").GetIndexedSoup(index));
}

int32_t CDPArchive::FindAsset(const KUID& kuid) const {
    const ACSChunkRef assets = root_.GetNamedSoup("assets");
    const int32_t count = assets.CountTags();
    for (int32_t i = 0; i < count; ++i)
        if (CDPAsset(assets.GetIndexedSoup(i)).GetKUID() == kuid) return i;
    return -1;
}

ACSRawDataRef CDPArchive::GetNamedData(const Kiv::PString& name) const {
    return root_.GetNamedTagData(name);
}

Kiv::PString CDPArchive::AddAsset(const ACSChunkRef& config) {
    const KUID kuid = config.GetNamedTagAsKUID("kuid", KUID::Null());
    if (kuid.IsNull()) return SetError(CDPMessages::kNoValidKUID);
    if (FindAsset(kuid) >= 0) return SetError(CDPMessages::kAlreadyPresent, kuid.ToTag().c_str());
    ACSChunkRef assets = root_.GetNamedSoup("assets");
    ACSChunkRef attached = config;
    assets.SetNamedSoup(kuid.ToTag(), attached);
    root_.SetNamedSoup("assets", assets);
    RebuildTables();
    return Kiv::PString();
}

void CDPArchive::RebuildTables() {
    KUIDList contents;
    KUIDList dependencies;
    KUIDList obsoletes;
    const int32_t count = CountAssets();
    for (int32_t i = 0; i < count; ++i) {
        const CDPAsset asset = GetAsset(i);
        const KUID kuid = asset.GetKUID();
        AddUnique(contents, kuid);
        CDPAsset::CollectDependencies(asset.GetConfig(), kuid, dependencies);
        CDPAsset::CollectObsoletes(asset.GetConfig(), kuid, obsoletes);
    }
    RemoveAll(dependencies, contents);
    SetKUIDTable(root_, "contents-table", contents);
    SetKUIDTable(root_, "kuid-table", dependencies);
    SetKUIDTable(root_, "obsolete-table", obsoletes);
    root_.SetNamedTagString("kind", "archive");
    root_.SetNamedTagInt("package-version", 1);
}

Kiv::PString CDPArchive::Save(const char* path) const {
    if (!HasSoupForm(nullptr, path)) return SetError(CDPMessages::kCannotSave);
    std::string cause;
    if (SaveSoupFileAtomically(root_, path, nullptr, cause)) return Kiv::PString();
    return SetError(CDPMessages::kCannotWriteArchive, path, cause.c_str());
}
