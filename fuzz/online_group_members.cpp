// An online group's member list fed the service's member lists: the first byte chooses
// full lists (odd) or changes (even); the rest is read as lists one after another until
// the data ends. The group starts with members of its own. After each list the members
// are checked: no two match ignoring case unless the script added them by exact name, and
// every index the count promises reads.
#include "script_natives/online_group_members.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool full = data[0] & 1;
    OnlineGroupMembers members;
    for (const char* name : {"bob", "Ann", "carl"}) members.Add(Kiv::PString(name));
    fuzz::InputStream input(data + 1, size - 1);
    TStream& stream = input.Stream();
    int32_t notified = 0;
    const auto notify = [&](OnlineGroupMembers::Change, const Kiv::PString&) { ++notified; };
    for (int round = 0; round < 64 && !stream.Eof() && stream.GetError() == 0; ++round) {
        const bool changed = members.Read(stream, full, notify);
        fuzz::Require(changed || notified == 0, "a reported change counts as a change");
        notified = 0;
        for (int32_t i = 0; i < members.Count(); ++i) {
            fuzz::Require(members.Find(members.NameAt(i)) <= i, "exact names are unique");
            members.StatusAt(i);
        }
    }
    return 0;
}
