// KAVFilterElementAssetID ('asst'): a condition on a set of KUIDs (asset ids or a profile
// map), kept in KUID order without duplicates; that order is the order on the wire.
#pragma once

#include <set>

#include "link/kav/kav_filter_typed.h"
#include "foundation/kuid/kuid.h"

class KAVFilterElementAssetID final : public KAVFilterElementTyped {
  public:
    explicit KAVFilterElementAssetID(int32_t type = 0) : KAVFilterElementTyped(type) {}

    void Insert(const KUID& kuid) { kuids_.insert(kuid); }

    Kiv::PString ValueText() const override;
    int32_t GetTag() const override;
    bool WriteBody(TStream& stream) const override;
    // A count that is negative, or larger than the KUIDs that follow, fails the read.
    bool ReadBody(TStream& stream, int32_t depth) override;

  private:
    std::set<KUID> kuids_;
};
