// The asset objects: making them once per context and resolved KUID, the process-wide list
// and resolution memo, the record and the spec.
#include "script_natives/gso_asset.h"

#include <list>
#include <map>

#include "link/kav/kav_requests_asset.h"
#include "script_natives/native_spec_access.h"
#include "script_natives/script_class_slots.h"
#include "script_runtime/gs_stack.h"

namespace {

std::list<GSOAsset*>& Objects() {
    static std::list<GSOAsset*> objects;
    return objects;
}

// KUID -> the KUID it resolved to, kept only where the two differ.
std::map<KUID, KUID>& Resolutions() {
    static std::map<KUID, KUID> resolutions;
    return resolutions;
}

}  // namespace

GSOAsset* GSOAsset::Find(GSContext* context, const KUID& kuid) {
    for (GSOAsset* object : Objects()) {
        if (object->Context() != context || !(object->kuid_ == kuid)) continue;
        GSScriptInstance* instance = GSInstanceOf(object->GetInstance());
        if (!instance || instance->ReferenceCount() <= 0) continue;
        instance->AddReference();
        return object;
    }
    return nullptr;
}

GSOAsset* GSOAsset::Create(GSContext* context, const KUID& requested) {
    if (requested.IsNull()) return nullptr;
    KUID kuid = requested;
    if (auto memo = Resolutions().find(kuid); memo != Resolutions().end()) {
        kuid = memo->second;
        if (kuid.IsNull()) return nullptr;
    }
    if (GSOAsset* found = Find(context, kuid)) return found;
    const KUID resolved = KAVAssetRequests::ResolveKUID(kuid);
    if (!(resolved == kuid)) {
        Resolutions()[kuid] = resolved;
        if (resolved.IsNull()) return nullptr;
        kuid = resolved;
        if (GSOAsset* found = Find(context, kuid)) return found;
    }
    auto* object = new GSOAsset(kuid);
    if (!object->Attach(ScriptClasses().asset, context)) {
        delete object;
        return nullptr;
    }
    Objects().push_front(object);
    return object;
}

GSOAsset::~GSOAsset() {
    config_.Release();
    Objects().remove(this);
    if (spec_) NativeSpecs().ReleaseUse(spec_);
}

void GSOAsset::ForgetResolutions() { Resolutions().clear(); }

KodrinBaseSpec* GSOAsset::GetSpec() {
    if (!spec_) spec_ = NativeSpecs().GetKodrinBaseSpec(kuid_);
    if (spec_) NativeSpecs().AddUse(spec_);
    return spec_;
}

const KAVAssetInfo& GSOAsset::Record() {
    if (!recordLoaded_) {
        KAVAssetRequests::GetAssetInfo(kuid_, record_, kAssetDetailAll);
        recordLoaded_ = true;
    }
    return record_;
}

void PushAssetObject(GSStack* stack, GSOAsset* asset) { stack->PushObjectNoRef(asset, ScriptClasses().asset); }
