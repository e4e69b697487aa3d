// The member list of an online group: the service's packets and the script's changes.
#include "script_natives/online_group_members.h"

#include <algorithm>

namespace {

bool ReadUInt16(TStream& packet, uint16_t& out) {
    uint8_t bytes[2] = {};
    if (packet.ReadBytes(bytes, 2) != 2) return false;
    out = static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
    return true;
}

bool ReadEntry(TStream& packet, Kiv::PString& name, uint8_t& status) {
    return packet.ReadPString(name) && packet.ReadBytes(&status, 1) == 1;
}

} // namespace

bool OnlineGroupMembers::Read(TStream& packet, bool full, const Notify& notify) {
    bool changed = false;
    if (full && !members_.empty()) {
        members_.clear();
        changed = true;
    }
    uint16_t count = 0;
    if (!ReadUInt16(packet, count)) return changed;
    for (uint16_t i = 0; i < count; ++i) {
        Kiv::PString name;
        uint8_t status = 0;
        if (!ReadEntry(packet, name, status)) break;
        changed |= Apply(name, status, notify);
    }
    return changed;
}

bool OnlineGroupMembers::Apply(const Kiv::PString& name, uint8_t status, const Notify& notify) {
    auto member = FindIgnoringCase(name);
    if (status == kLeft) {
        if (member == members_.end()) return false;
        members_.erase(member);
        notify(Change::kRemoved, name);
        return true;
    }
    if (member == members_.end()) {
        members_.push_back({name, status});
        notify(Change::kAdded, name);
        return true;
    }
    if (member->status == status) return false;
    member->status = status;
    notify(Change::kStatus, name);
    return true;
}

std::vector<OnlineGroupMembers::Member>::iterator OnlineGroupMembers::FindIgnoringCase(const Kiv::PString& name) {
    return std::find_if(members_.begin(), members_.end(),
                        [&](const Member& member) { return member.name.EqualsIgnoreCase(name); });
}

bool OnlineGroupMembers::Add(const Kiv::PString& name) {
    if (Find(name) >= 0) return false;
    members_.push_back({name, 0});
    return true;
}

bool OnlineGroupMembers::Remove(const Kiv::PString& name) {
    const int32_t index = Find(name);
    if (index < 0) return false;
    members_.erase(members_.begin() + index);
    return true;
}

int32_t OnlineGroupMembers::Find(const Kiv::PString& name) const {
    for (int32_t i = 0; i < Count(); ++i) {
        if (members_[i].name == name) return i;
    }
    return -1;
}

Kiv::PString OnlineGroupMembers::NameAt(int32_t index) const {
    return InRange(index) ? members_[index].name : Kiv::PString();
}

int32_t OnlineGroupMembers::StatusAt(int32_t index) const { return InRange(index) ? members_[index].status : 0; }
