// KAVFilterElementGroup ('grup'): the inner node of a filter, owning its children in order.
// It carries a mode byte (1 in every group the tool builds) and a negate byte; a negated
// condition is a negated subgroup holding it. What the two bytes mean is the daemon's.
#pragma once

#include <memory>
#include <vector>

#include "link/kav/kav_filter_element.h"

class KAVFilterElementGroup final : public KAVFilterElement {
  public:
    // No child for a null first child.
    explicit KAVFilterElementGroup(std::unique_ptr<KAVFilterElement> firstChild = nullptr);

    // Appends at the end; a null child is ignored, as it could not travel.
    void Append(std::unique_ptr<KAVFilterElement> child);
    // Appends to group a new negated group (mode 1) holding firstChild.
    static void OpenSubgroup(KAVFilterElementGroup& group,
                             std::unique_ptr<KAVFilterElement> firstChild);
    void SetNegate(bool negate) { negate_ = negate; }

    Kiv::PString KeyName() const override;
    // "(" then key name ":" value text of each child, with nothing between them, then ")".
    Kiv::PString ValueText() const override;
    int32_t GetTag() const override;
    // Stops at the first child whose body fails.
    bool WriteBody(TStream& stream) const override;
    // Fails for a negative count, a count larger than the nodes that follow, or a child
    // that does not read whole.
    bool ReadBody(TStream& stream, int32_t depth) override;
    // Same mode, negate byte and child count, and children pairwise equal both ways, in
    // order.
    bool Equals(const KAVFilterElement& other) const override;

  private:
    bool mode_ = true;
    bool negate_ = false;
    std::vector<std::unique_ptr<KAVFilterElement>> children_;
};
