// KAVFilterElementString ('strn'): a text condition (asset name, category, era, keyword
// or region list). An asset name given in double quotes loses them and is marked quoted;
// what quoting means is the daemon's.
#pragma once

#include "link/kav/kav_filter_typed.h"

class KAVFilterElementString final : public KAVFilterElementTyped {
  public:
    static constexpr int32_t kAssetName = 0;

    explicit KAVFilterElementString(int32_t type = kAssetName, Kiv::PString value = {});

    Kiv::PString ValueText() const override { return value_; }
    int32_t GetTag() const override;
    // False for a value too long for the stream's string form, which would arrive empty.
    bool WriteBody(TStream& stream) const override;
    bool ReadBody(TStream& stream, int32_t depth) override;
    bool Equals(const KAVFilterElement& other) const override;

  private:
    Kiv::PString value_;
    bool quoted_ = false;
};
