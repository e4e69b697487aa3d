// The range conditions: KAVFilterElementInt ('inte', int32 bounds: rating, author, version)
// and KAVFilterElementTimestamp ('time', int64 bounds: installation and modification
// times). Each bound is inclusive or not. The value text of a timestamp shows only the low
// 32 bits of each bound; the bounds travel and compare whole.
#pragma once

#include "link/kav/kav_filter_typed.h"

class KAVFilterElementInt final : public KAVFilterElementTyped {
  public:
    static constexpr int32_t kAuthor = 1;

    explicit KAVFilterElementInt(int32_t type = kAuthor, int32_t low = 0, int32_t high = 0,
                                 bool lowInclusive = false, bool highInclusive = false)
        : KAVFilterElementTyped(type), low_(low), high_(high), lowInclusive_(lowInclusive),
          highInclusive_(highInclusive) {}

    Kiv::PString ValueText() const override;
    int32_t GetTag() const override;
    bool WriteBody(TStream& stream) const override;
    bool ReadBody(TStream& stream, int32_t depth) override;

  private:
    int32_t low_;
    int32_t high_;
    bool lowInclusive_;
    bool highInclusive_;
};

class KAVFilterElementTimestamp final : public KAVFilterElementTyped {
  public:
    explicit KAVFilterElementTimestamp(int32_t type = 0, int64_t low = 0, int64_t high = 0,
                                       bool lowInclusive = false, bool highInclusive = false)
        : KAVFilterElementTyped(type), low_(low), high_(high), lowInclusive_(lowInclusive),
          highInclusive_(highInclusive) {}

    Kiv::PString ValueText() const override;
    int32_t GetTag() const override;
    bool WriteBody(TStream& stream) const override;
    bool ReadBody(TStream& stream, int32_t depth) override;
    bool Equals(const KAVFilterElement& other) const override;

  private:
    int64_t low_;
    int64_t high_;
    bool lowInclusive_;
    bool highInclusive_;
};
