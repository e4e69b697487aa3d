// SecurityTokenIssuer: what a security token needs of the script library that issues or
// re-issues it: the KUID of the library's own asset, the context in which new tokens are
// made, and the issuer's serial number. Tokens name their issuers by that number, never by
// address: it is drawn once per issuer from a process-wide counter and never reused, so an
// issuer made where a deleted one lay inherits none of its grants. The library objects
// implement it.
#pragma once

#include <cstdint>

#include "foundation/kuid/kuid.h"

class GSContext;

class SecurityTokenIssuer {
  public:
    SecurityTokenIssuer();
    SecurityTokenIssuer(const SecurityTokenIssuer&) = delete;
    SecurityTokenIssuer& operator=(const SecurityTokenIssuer&) = delete;
    virtual ~SecurityTokenIssuer() = default;

    virtual KUID IssuerKUID() const = 0;
    virtual GSContext* IssuerContext() const = 0;
    // This issuer's number: unique in the process, increasing in the order issuers are made.
    uint64_t IssuerSerial() const { return serial_; }

  private:
    uint64_t serial_;
};
