// KAVFilterElementTyped: the common part of every condition node (all kinds but the group):
// an int32 type number, the first field of each body, which names the condition through
// the key-name table.
#pragma once

#include <cstdint>

#include "link/kav/kav_filter_element.h"

class KAVFilterElementTyped : public KAVFilterElement {
  public:
    Kiv::PString KeyName() const override;
    // Also the type number, which the key name does not tell for types of no row.
    bool Equals(const KAVFilterElement& other) const override;

  protected:
    explicit KAVFilterElementTyped(int32_t type) : type_(type) {}

    int32_t type_;
};
