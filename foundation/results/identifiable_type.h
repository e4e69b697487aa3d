// IdentifiableType: the common root of asset specs, properties and script-side world
// items; it only makes their destruction virtual.
#pragma once

class IdentifiableType {
  public:
    virtual ~IdentifiableType() = default;
};
