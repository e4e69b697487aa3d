// The security tokens, their operations and their one native.
#include "script_natives/gso_security_token.h"

#include "foundation/console/log_message.h"
#include "script_natives/native_arguments.h"
#include "script_natives/native_registration.h"
#include "script_natives/native_spec_access.h"
#include "script_natives/script_class_slots.h"
#include "script_natives/script_system_setup.h"
#include "script_natives/security_token_issuer.h"
#include "script_runtime/gs_stack.h"

namespace {

const MemberNative<GSOSecurityToken> kSecurityTokenNatives[] = {
    {"$bool@SecurityToken::IsOwnerLocallyModified()", &GSOSecurityToken::IsOwnerLocallyModified},
};

const Kiv::PString& DuplicateToken() {
    static const Kiv::PString right("duplicate-token");
    return right;
}

GSSlot* ElementOf(const GSArray* array, int32_t index) {
    GSSlot* element = nullptr;
    if (array) array->GetObject(index, element, false);
    return element;
}

// Adds every grant of `from` into `into`: missing KUIDs take a copy, present ones the union.
void MergeGrants(GSOSecurityToken::Grants& into, const GSOSecurityToken::Grants& from) {
    for (const auto& [kuid, rights] : from) into[kuid].insert(rights.begin(), rights.end());
}

}  // namespace

void RegisterSecurityTokenNatives(GSMachine& machine) {
    RegisterMemberNatives<GSOSecurityToken>(machine, "SecurityToken", kSecurityTokenNatives);
}

GSOSecurityToken* GSOSecurityToken::Attached(GSOSecurityToken* object, GSContext* context) {
    if (object->Attach(ScriptClasses().securityToken, context)) return object;
    delete object;
    return nullptr;
}

GSOSecurityToken* GSOSecurityToken::Construct(GSContext* context, const GSOSecurityToken& source) {
    return Attached(new GSOSecurityToken(source.grants_), context);
}

GSOSecurityToken* GSOSecurityToken::Issue(const KUID& kuid, GSContext* context, const SecurityTokenIssuer* issuer,
                                          const GSArray* rights) {
    if (!issuer) return nullptr;
    IssuerGrants grants;
    grants[issuer->IssuerSerial()][kuid] = RightsOf(rights);
    return Attached(new GSOSecurityToken(std::move(grants)), context);
}

GSOSecurityToken::Rights GSOSecurityToken::RightsOf(const GSArray* array) {
    Rights rights;
    for (int32_t i = 0; array && i < array->Count(); ++i) {
        const GSString* text = NativeObjectAs<GSString>(ElementOf(array, i));
        if (text) rights.insert(Kiv::PString(text->View()));
    }
    return rights;
}

GSOSecurityToken* GSOSecurityToken::Merge(const SecurityTokenIssuer& library, const GSArray* tokens) {
    GSOSecurityToken* result = nullptr;
    for (int32_t i = 0; tokens && i < tokens->Count(); ++i) {
        const auto* token = NativeObjectAs<GSOSecurityToken>(ElementOf(tokens, i));
        if (!token) continue;
        if (!result) {
            result = Construct(library.IssuerContext(), *token);
            if (!result) return nullptr;
            continue;
        }
        for (const auto& [issuer, grants] : token->grants_) MergeGrants(result->grants_[issuer], grants);
    }
    return result;
}

// The walk over the token's issuers (in serial order) notes whether the library is one of
// them and whether some issuer granted "duplicate-token" to the library's own asset; it
// stops after the issuer that granted it. An issuer that re-issues may only narrow its grant
// to its own asset to the rights asked for; a library with "duplicate-token" re-issues with
// an empty set of rights.
GSOSecurityToken* GSOSecurityToken::ReIssueToken(const GSOSecurityToken& token, const SecurityTokenIssuer& library,
                                                 const KUID& kuid, const GSArray* rights) {
    const Rights requested = RightsOf(rights);
    if (requested.empty()) return nullptr;
    const KUID own = library.IssuerKUID();
    bool issuedByLibrary = false;
    bool mayDuplicate = false;
    for (const auto& [issuer, grants] : token.grants_) {
        if (issuer == library.IssuerSerial()) issuedByLibrary = true;
        const auto granted = grants.find(own);
        mayDuplicate = granted != grants.end() && granted->second.count(DuplicateToken()) != 0;
        if (mayDuplicate) break;
    }
    if (!issuedByLibrary && !mayDuplicate) {
        LogMessage("GSOSecurityToken::ReIssueToken> Unauthorised attempt made to re-issue security token (%s)",
                   own.ToTag().c_str());
        return nullptr;
    }
    GSOSecurityToken* result = Construct(library.IssuerContext(), token);
    if (!result) return nullptr;
    const Rights filter = mayDuplicate ? Rights() : requested;
    if (!issuedByLibrary) {
        result->grants_[library.IssuerSerial()] = Grants{{kuid, filter}};
        return result;
    }
    Grants& ownGrants = result->grants_[library.IssuerSerial()];
    const auto granted = ownGrants.find(own);
    if (granted == ownGrants.end()) return result;
    for (auto right = granted->second.begin(); right != granted->second.end();)
        right = filter.count(*right) ? std::next(right) : granted->second.erase(right);
    return result;
}

bool GSOSecurityToken::Validate(const GSOSecurityToken& token, const SecurityTokenIssuer* issuer, const KUID& kuid,
                                const Kiv::PString& right) {
    if (!issuer) return false;
    const auto grants = token.grants_.find(issuer->IssuerSerial());
    if (grants == token.grants_.end()) return false;
    const auto rights = grants->second.find(kuid);
    return rights != grants->second.end() && rights->second.count(right) != 0;
}

void GSOSecurityToken::IsOwnerLocallyModified(GSStack* stack) {
    bool modified = false;
    for (const auto& [issuer, grants] : grants_) {
        for (const auto& [kuid, rights] : grants) {
            KodrinBaseSpec* spec = NativeSpecs().GetKodrinBaseSpec(kuid);
            if (!spec) continue;
            modified = NativeSpecs().IsLocallyModified(spec);
            NativeSpecs().ReleaseUse(spec);
            if (modified) break;
        }
        if (modified) break;
    }
    stack->PushInt(modified ? 1 : 0);
}
