// The KUID objects, their cache and their natives.
#include "script_natives/gso_kuid.h"

#include <map>
#include <utility>

#include "link/kav/kav_requests_asset.h"
#include "script_natives/native_registration.h"
#include "script_natives/script_class_slots.h"
#include "script_natives/script_system_setup.h"
#include "script_runtime/gs_stack.h"

namespace {

struct CacheKey {
    KUID kuid;
    GSContext* context;
    bool operator<(const CacheKey& other) const {
        if (kuid < other.kuid) return true;
        if (other.kuid < kuid) return false;
        return std::less<GSContext*>()(context, other.context);
    }
};

std::map<CacheKey, GSOKUID*>& Cache() {
    static std::map<CacheKey, GSOKUID*> cache;
    return cache;
}

const MemberNative<GSOKUID> kKUIDNatives[] = {
    {"$string@KUID::GetName()", &GSOKUID::GetName},
    {"$string@KUID::GetHTMLString()", &GSOKUID::GetHTMLString},
    {"$string@KUID::GetLogString()", &GSOKUID::GetLogString},
    {"$string@KUID::GetBaseString()", &GSOKUID::GetBaseString},
    {"$KUID@KUID::GetBaseKUID()", &GSOKUID::GetBaseKUID},
};

}  // namespace

void RegisterKUIDNatives(GSMachine& machine) {
    RegisterMemberNatives<GSOKUID>(machine, "KUID", kKUIDNatives);
}

GSOKUID* GSOKUID::Create(const KUID& kuid, GSContext* context) {
    auto found = Cache().find({kuid, context});
    if (found != Cache().end()) {
        GSScriptInstance* instance = GSInstanceOf(found->second->GetInstance());
        if (instance && instance->ReferenceCount() > 0) {
            instance->AddReference();
            return found->second;
        }
    }
    auto* object = new GSOKUID(kuid);
    if (!object->Attach(ScriptClasses().kuid, context)) {
        delete object;
        return nullptr;
    }
    Cache()[{kuid, context}] = object;
    return object;
}

GSOKUID::~GSOKUID() {
    auto found = Cache().find({Value(), Context()});
    if (found != Cache().end() && found->second == this) Cache().erase(found);
}

size_t GSOKUID::CachedCount() { return Cache().size(); }

KUID GSOKUID::BaseKUID(const KUID& kuid) {
    const uint32_t top = static_cast<uint32_t>(kuid.userId) >> 25;
    if (top != 0 && top != 0x7F) return KUID::Null();
    return KUID(kuid.userId, kuid.contentId, kuid.userId < 0 ? KUID::kMaxVersion : 0);
}

void PushKUIDObject(GSStack* stack, const KUID& kuid, GSContext* context) {
    stack->PushObjectNoRef(GSOKUID::Create(kuid, context), ScriptClasses().kuid);
}

void GSOKUID::GetName(GSStack* stack) {
    stack->PushString(KAVAssetRequests::GetAssetName(Value()).View(), Context());
}

void GSOKUID::GetHTMLString(GSStack* stack) { stack->PushString(ToTag().View(), Context()); }

void GSOKUID::GetLogString(GSStack* stack) { stack->PushString(ToTag().View(), Context()); }

void GSOKUID::GetBaseString(GSStack* stack) { stack->PushString(ToShortTag().View(), Context()); }

void GSOKUID::GetBaseKUID(GSStack* stack) { PushKUIDObject(stack, BaseKUID(Value()), Context()); }
