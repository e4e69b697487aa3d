// OnlineGroupMembers: the member list of an online group, in the order members were added,
// each an interned user name with the status the service gave. The service's member-list
// packets match names ignoring ASCII case; the script's own calls (add, remove, find) match
// the exact interned name. Each change the service makes is reported to the caller, who
// turns it into router messages.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/pstring.h"
#include "foundation/streams/t_stream.h"

class OnlineGroupMembers {
  public:
    // The status byte of a member-list entry that says the user left.
    static constexpr uint8_t kLeft = 255;

    enum class Change { kAdded, kStatus, kRemoved };
    using Notify = std::function<void(Change change, const Kiv::PString& name)>;

    // Reads a member-list packet: u16 count, then count entries {name as a length-prefixed
    // string, status byte}. full: the list is replaced (clearing a non-empty list counts as
    // a change); otherwise the entries are changes to it. notify hears each member added,
    // given a new status or removed, in entry order. Reading stops at the first entry that
    // does not arrive whole; those before it stand. Whether anything changed.
    bool Read(TStream& packet, bool full, const Notify& notify);

    // Appends {name, 0} unless a member has that exact name; whether it was appended.
    bool Add(const Kiv::PString& name);
    // Removes the member with that exact name; whether there was one.
    bool Remove(const Kiv::PString& name);
    // The index of the member with that exact name, or -1.
    int32_t Find(const Kiv::PString& name) const;

    int32_t Count() const { return static_cast<int32_t>(members_.size()); }
    // The name and status at index; the empty name and 0 out of range.
    Kiv::PString NameAt(int32_t index) const;
    int32_t StatusAt(int32_t index) const;
    void Clear() { members_.clear(); }

  private:
    struct Member {
        Kiv::PString name;
        int32_t status;
    };

    bool InRange(int32_t index) const { return index >= 0 && index < Count(); }
    // The member whose name equals name ignoring ASCII case, or end.
    std::vector<Member>::iterator FindIgnoringCase(const Kiv::PString& name);
    bool Apply(const Kiv::PString& name, uint8_t status, const Notify& notify);

    std::vector<Member> members_;
};
