// KAVFilterElementBool ('bool'): a yes-or-no condition named by its type alone ("local",
// "up-to-date", "faulty"...); its value text is always "true".
#pragma once

#include "link/kav/kav_filter_typed.h"

class KAVFilterElementBool final : public KAVFilterElementTyped {
  public:
    static constexpr int32_t kLocallyAvailable = 3;

    explicit KAVFilterElementBool(int32_t type = kLocallyAvailable) : KAVFilterElementTyped(type) {}

    Kiv::PString ValueText() const override;
    int32_t GetTag() const override;
    bool WriteBody(TStream& stream) const override;
    bool ReadBody(TStream& stream, int32_t depth) override;
};
