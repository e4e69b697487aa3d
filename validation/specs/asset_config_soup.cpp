// LoadAssetConfigSoup: an asset's config from its folder, the compiled "config.chump" first.
// A file that opens but reads as no soup (empty or damaged) counts as not loaded, so the
// text config is tried next and a caller never takes a null soup for a config.
#include "validation/specs/asset_config_soup.h"

#include "content3d/resource_database.h"
#include "link/kav/kav_user_data.h"

namespace {

// The config files in the order they are tried; each is read by its extension.
const char* const kConfigNames[] = {"config.chump", "config.txt"};

// The folder the location's database is based on: the one that holds the location.
Kiv::File::Path DatabaseBaseOf(const Kiv::PString& location) {
    Kiv::File::Path base = KAVUserData::GetLocationFolder(location);
    base.DelSlash();
    base.DelName(false);
    return base;
}

bool LoadConfig(const Kiv::File::Path& folder, const char* name, ACSChunkRef& out) {
    if (out.LoadFromFile(folder.c_str(), name, nullptr, false) && !out.IsNull()) return true;
    out.Release();
    return false;
}

} // namespace

bool LoadAssetConfigSoup(const Kiv::PString& location, const Kiv::File::Path& folder,
                         ACSChunkRef& out) {
    out.Release();
    KodrinResourceDatabase* database = nullptr;
    if (!location.IsEmpty()) {
        database = KodrinResourceDatabase::Open(location, DatabaseBaseOf(location).c_str());
        if (!database) return false;
    }
    bool loaded = false;
    for (const char* name : kConfigNames) {
        loaded = LoadConfig(folder, name, out);
        if (loaded) break;
    }
    KodrinResourceDatabase::Release(database);
    return loaded;
}
