// The daemon link's requests besides the asset ones: named settings soups (the tool keeps
// no settings of its own), authors' user names with a process-wide cache in the tool, web
// downloads made by the daemon, and the online profile and login credential. KAVClient
// inherits these, so callers write KAVClient::ReadSetting(...). The login credential is a
// secret: no wrapper logs it.
#pragma once

#include <cstdint>
#include <memory>

#include "link/kav/kav_url_fetch.h"
#include "engine/pstring.h"
#include "engine/string.h"
#include "foundation/soup/chunk_ref.h"

class KAVSettingsRequests {
public:
    // 90, after the fixed names and the cache; always true. A failed request answers the
    // empty name and account id -1, and caches nothing.
    static bool GetUserName(int32_t authorId, int32_t& accountId, Kiv::PString& name);
    static Kiv::PString GetUserNameText(int32_t authorId);
    // Whether the author's name is not empty.
    static bool GetAuthorName(int32_t authorId, Kiv::PString& name);
    // Enters a reply, its name lower-cased, in place of every older entry of the same author
    // id, account id or name. False for account id -1 with an empty name.
    static bool CacheUserName(int32_t accountId, const Kiv::PString& name, int32_t authorId);
    static void InitUserNameCache();
    static void ClearUserNameCache();

    // 100: the section's soup, left empty on failure; whether the request succeeded.
    static bool ReadSettings(ACSChunkRef& soup, const Kiv::PString& section);
    // 101 with the held soup when it has a child, else without; the held soup is freed.
    static bool WriteSettingsSoup(const Kiv::PString& section, std::unique_ptr<ACSChunkRef> held);
    // 101 without a soup.
    static bool WriteSettings(const Kiv::PString& section);
    // 102: the value; empty on failure.
    static Kiv::PString ReadSetting(const Kiv::PString& section, const Kiv::PString& key);
    // 103: always true.
    static bool WriteSetting(const Kiv::PString& section, const Kiv::PString& key,
                             const Kiv::PString& value);

    // 230: a new download; its handle is all ones when the request failed.
    static KAVUrlFetch* StartUrlFetch(const UrlRecord& url, int32_t mode);
    // 231: ends the download at the daemon and drops the fetch's status text.
    static void ReleaseUrlFetch(KAVUrlFetch* fetch);

    // 240: the profile name; empty on failure.
    static Kiv::String GetOnlineProfile();
    // 241: the stored credential was refused.
    static void NotifyLoginFailed();
    // 242: the credential for the online login; empty on failure. Never logged.
    static Kiv::String GetLoginCredential();
};
