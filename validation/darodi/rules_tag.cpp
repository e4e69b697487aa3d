// The tag rules that look at the tag's container or the asset's files: trackside type,
// collated meshes, script files, the own-parent and pairing rules.
#include "validation/darodi/asset_files.h"
#include "validation/darodi/container.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/keywords.h"
#include "validation/darodi/report.h"
#include "validation/darodi/rules.h"

namespace DAROdi::Rules {

namespace {

Tag* SiblingTag(const Tag& tag, const Kiv::PString& name) {
    return tag.parent ? tag.parent->FindTag(name) : nullptr;
}

bool ScriptExists(const Kiv::PString& value) {
    for (const char* extension : {"gse", "gs"}) {
        Kiv::File::Path file = AssetFilePath(value.c_str());
        file.SetExt(extension);
        if (AssetFileExists(file)) return true;
    }
    return false;
}

} // namespace

bool IsTracksideType(Tag& tag, const ACSChunkRef&) {
    const Keywords& w = Words();
    Tag* type = SiblingTag(tag, w.type);
    if (type && type->value == w.trackside) return true;
    if (type)
        Report::ErrorInTag(type, FormatFinding("$tet_val_wrongtype", w.type, w.trackside, tag.name));
    else
        Report::ErrorInTag(&tag, FormatFinding("$tet_val_notype", tag.name, w.type, w.trackside));
    return false;
}

bool NeedCollateMeshes(Tag& tag, const ACSChunkRef&) {
    if (SiblingTag(tag, Words().collateMeshes)) return true;
    Report::ErrorInTag(&tag, FormatFinding("$tet_val_nocollatemeshes", tag.name,
                                           Words().collateMeshes));
    return false;
}

bool ScriptFileExists(Tag& tag, const ACSChunkRef&) {
    if (tag.value.IsEmpty()) return false;
    if (tag.value.View().front() == '/') return true;
    if (IsPackedLocation(DataManager::Instance().GetAssetLocation())) return true;
    if (ScriptExists(tag.value)) return true;
    Report::ErrorInTag(&tag, FormatFinding("$tet_val_scriptfiledne", tag.value));
    return false;
}

bool NotOwnParent(Tag& tag, const ACSChunkRef&) {
    if (!tag.parent || tag.name != tag.parent->name) return true;
    Report::ErrorInTag(&tag, FormatFinding("$tet_val_notownparent"));
    return false;
}

bool MustBePaired(Tag& tag, const ACSChunkRef& arguments) {
    const Keywords& w = Words();
    if (tag.name == w.initialCount && tag.value.View() == "0") return true;
    const Kiv::PString first = arguments.GetNamedTag(w.zero).ToPString();
    const Kiv::PString second = arguments.GetNamedTag(w.one).ToPString();
    bool paired = true;
    if (!SiblingTag(tag, first)) {
        Report::ErrorInTag(&tag, FormatFinding("$tet_val_mustbepaired", second, first));
        paired = false;
    }
    if (!SiblingTag(tag, second)) {
        Report::ErrorInTag(&tag, FormatFinding("$tet_val_mustbepaired", first, second));
        paired = false;
    }
    return paired;
}

} // namespace DAROdi::Rules
