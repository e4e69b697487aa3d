// GSOSecurityToken: the native object behind the script class "SecurityToken", a
// capability that script libraries issue: for each issuer (by its serial number), the
// rights (interned strings) granted to each asset (by KUID). Tokens never change once made; every operation that
// changes grants builds a new token. The right "duplicate-token" lets a library that holds
// it for its own asset re-issue a token it did not issue.
#pragma once

#include <cstdint>
#include <map>
#include <set>

#include "engine/pstring.h"
#include "foundation/kuid/kuid.h"
#include "script_runtime/gs_object.h"

class GSArray;
class SecurityTokenIssuer;

class GSOSecurityToken : public GSObject {
  public:
    struct RightOrder {
        bool operator()(const Kiv::PString& a, const Kiv::PString& b) const { return Kiv::PString::LessText(a, b); }
    };
    using Rights = std::set<Kiv::PString, RightOrder>;
    using Grants = std::map<KUID, Rights>;
    using IssuerGrants = std::map<uint64_t, Grants>;  // by SecurityTokenIssuer::IssuerSerial

    // A token with a deep copy of the source's grants; null when it cannot be made.
    static GSOSecurityToken* Construct(GSContext* context, const GSOSecurityToken& source);
    // {issuer -> {kuid -> rights of the array}}; null when it cannot be made.
    static GSOSecurityToken* Issue(const KUID& kuid, GSContext* context, const SecurityTokenIssuer* issuer,
                                   const GSArray* rights);
    // The union of the array's tokens, in the issuer's context; null without tokens.
    static GSOSecurityToken* Merge(const SecurityTokenIssuer& library, const GSArray* tokens);
    // A copy of the token re-issued by the library (see gso_security_token.cpp); null when
    // no rights are asked for or the library may not re-issue it.
    static GSOSecurityToken* ReIssueToken(const GSOSecurityToken& token, const SecurityTokenIssuer& library,
                                          const KUID& kuid, const GSArray* rights);
    // Whether the issuer granted the right to the KUID in the token; false without an issuer.
    static bool Validate(const GSOSecurityToken& token, const SecurityTokenIssuer* issuer, const KUID& kuid,
                         const Kiv::PString& right);
    // The rights a script string array gives: its non-null string elements.
    static Rights RightsOf(const GSArray* array);

    const IssuerGrants& AllGrants() const { return grants_; }

    void IsOwnerLocallyModified(GSStack* stack);

  private:
    explicit GSOSecurityToken(IssuerGrants grants) : grants_(std::move(grants)) {}
    static GSOSecurityToken* Attached(GSOSecurityToken* object, GSContext* context);

    IssuerGrants grants_;
};
