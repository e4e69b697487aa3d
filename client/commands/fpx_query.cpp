// The entries are read in number order and the first missing number ends the list, so a
// result with a gap yields the entries before it.
#include "client/commands/fpx_query.h"

#include <string>

#include "link/kav/kav_client.h"

namespace {

Kiv::PString Text(const ACSChunkRef& entry, const char* name) {
    return entry.GetNamedTag(Kiv::PString(name)).ToPString();
}

FPXQueryItem ReadItem(const ACSChunkRef& entry) {
    FPXQueryItem item;
    item.required = entry.GetNamedTagAsKUID(Kiv::PString("requires"), KUID::Null());
    item.latestVersion = entry.GetNamedTagAsKUID(Kiv::PString("latest-version"), KUID::Null());
    item.downloadSize = entry.GetNamedTagAsInt(Kiv::PString("latest-version-size"), 0);
    UrlRecord::Parse(Text(entry, "latest-version-path").c_str(), item.downloadLocation);
    UrlRecord::Parse(Text(entry, "banner-uri").c_str(), item.bannerLocation);
    item.assetName = Text(entry, "asset-name");
    item.result = Text(entry, "result");
    return item;
}

bool HoldsLatestVersion(FPXQueryResultList& list, const KUID& latest) {
    return list.FindIf([&](const FPXQueryItem& item) { return item.latestVersion == latest; }) !=
           list.end();
}

} // namespace

void FPXQuery::ParseResult(const ACSChunkRef& soup, FPXQueryResultList& out) {
    if (soup.HasTag(Kiv::PString("none"))) return;
    for (int32_t n = 0;; ++n) {
        const ACSChunkRef entry = soup.GetNamedSoup(Kiv::PString(std::to_string(n).c_str()));
        if (entry.IsNull()) return;
        const FPXQueryItem item = ReadItem(entry);
        KAVClient::RecordLatestVersion(item.required, item.latestVersion);
        if (!KAVClient::HasMissingDependencies(item.latestVersion, true)) continue;
        if (!HoldsLatestVersion(out, item.latestVersion)) out.PushBack(item);
        KAVClient::RecordDownloadSize(item.latestVersion, item.downloadSize);
    }
}
