// Authors' user names (request 90) with the tool's cache: a list of entries that only
// grows, and three maps onto it by author id, account id and name. A new reply takes every
// older entry that shares one of its keys out of all three maps, so no map keeps a stale
// answer. Used from the main thread only (the authors listing): no lock.
#include <deque>
#include <map>
#include <string>

#include "link/kav/kav_requests_settings.h"
#include "link/kav/kav_requests_wire.h"

namespace {

constexpr int32_t kNoAccount = -1;
// The product maker's own author ids, which always show as "Pelmo".
constexpr int32_t kMakerAuthorId = 1;
constexpr int32_t kMakerAuthorIds[] = {2, 3, 4, 5, 6, 7, 8, 9, 0};

struct UserNameEntry {
    Kiv::PString name; // lower case
    int32_t accountId = kNoAccount;
    int32_t authorId = 0;
};

struct UserNameCache {
    std::deque<UserNameEntry> entries;
    std::map<int32_t, UserNameEntry*> byAuthor;
    std::map<int32_t, UserNameEntry*> byAccount;
    std::map<std::string, UserNameEntry*> byName;
};

UserNameCache& Cache() {
    static UserNameCache cache;
    return cache;
}

bool IsMakerAuthor(int32_t authorId) {
    if (authorId == kMakerAuthorId) return true;
    for (int32_t id : kMakerAuthorIds) {
        if (id == 0) return false;
        if (id == authorId) return true;
    }
    return false;
}

// The name that never reaches the daemon, or null.
const char* FixedName(int32_t authorId) {
    if (authorId == 0) return "-";
    if (authorId == -2) return "unknown";
    if (authorId < 0 || IsMakerAuthor(authorId)) return "Pelmo";
    return nullptr;
}

template <class Key> void EraseIfPointsTo(std::map<Key, UserNameEntry*>& map, const Key& key,
                                          const UserNameEntry* entry) {
    auto found = map.find(key);
    if (found != map.end() && found->second == entry) map.erase(found);
}

void Unmap(UserNameCache& cache, const UserNameEntry* entry) {
    EraseIfPointsTo(cache.byAuthor, entry->authorId, entry);
    EraseIfPointsTo(cache.byAccount, entry->accountId, entry);
    EraseIfPointsTo(cache.byName, std::string(entry->name.View()), entry);
}

template <class Key> void UnmapFound(UserNameCache& cache, std::map<Key, UserNameEntry*>& map,
                                     const Key& key) {
    auto found = map.find(key);
    if (found != map.end()) Unmap(cache, found->second);
}

} // namespace

void KAVSettingsRequests::InitUserNameCache() { ClearUserNameCache(); }

void KAVSettingsRequests::ClearUserNameCache() {
    UserNameCache& cache = Cache();
    cache.byAuthor.clear();
    cache.byAccount.clear();
    cache.byName.clear();
}

bool KAVSettingsRequests::CacheUserName(int32_t accountId, const Kiv::PString& name,
                                        int32_t authorId) {
    if (accountId == kNoAccount && name.IsEmpty()) return false;
    UserNameCache& cache = Cache();
    const Kiv::PString lower = name.ToLower();
    const std::string nameKey(lower.View());
    UnmapFound(cache, cache.byAuthor, authorId);
    if (accountId != kNoAccount) UnmapFound(cache, cache.byAccount, accountId);
    if (!nameKey.empty()) UnmapFound(cache, cache.byName, nameKey);
    UserNameEntry& entry = cache.entries.emplace_back(UserNameEntry{lower, accountId, authorId});
    cache.byAuthor[authorId] = &entry;
    if (accountId != kNoAccount) cache.byAccount[accountId] = &entry;
    if (!nameKey.empty()) cache.byName[nameKey] = &entry;
    return true;
}

bool KAVSettingsRequests::GetUserName(int32_t authorId, int32_t& accountId, Kiv::PString& name) {
    accountId = kNoAccount;
    if (const char* fixed = FixedName(authorId)) {
        name = Kiv::PString(fixed);
        return true;
    }
    UserNameCache& cache = Cache();
    if (auto found = cache.byAuthor.find(authorId); found != cache.byAuthor.end()) {
        accountId = found->second->accountId;
        name = found->second->name;
        return true;
    }
    name = Kiv::PString();
    KAVRequest request;
    request.Payload().WriteInt32(authorId);
    if (!request.Send(kReqUserName)) return true;
    Kiv::PString received;
    request.Reply().ReadInt32(accountId, kNoAccount);
    request.Reply().ReadPString(received);
    CacheUserName(accountId, received, authorId);
    name = received.ToLower();
    return true;
}

Kiv::PString KAVSettingsRequests::GetUserNameText(int32_t authorId) {
    int32_t accountId = kNoAccount;
    Kiv::PString name;
    GetUserName(authorId, accountId, name);
    return name;
}

bool KAVSettingsRequests::GetAuthorName(int32_t authorId, Kiv::PString& name) {
    name = GetUserNameText(authorId);
    return !name.IsEmpty();
}
