// SecurityTokenIssuer: what a security token needs of the script library that issues or
// re-issues it: the KUID of the library's own asset and the context in which new tokens are
// made. The library objects implement it. Tokens order their issuers by object address.
#pragma once

#include "foundation/kuid/kuid.h"

class GSContext;

class SecurityTokenIssuer {
  public:
    virtual ~SecurityTokenIssuer() = default;
    virtual KUID IssuerKUID() const = 0;
    virtual GSContext* IssuerContext() const = 0;
};
