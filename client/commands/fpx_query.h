// FPXQuery: the download service's search result, a text soup of numbered entries ("0",
// "1", ...; or the tag "none"), turned into the items worth fetching: those whose latest
// version is not installed locally or misses dependencies, one item per latest version.
// The daemon is told each entry's latest version (request 47) and download size (41).
#pragma once

#include <cstdint>

#include "link/url_record.h"
#include "engine/pstring.h"
#include "foundation/containers/block_array.h"
#include "foundation/kuid/kuid.h"
#include "foundation/soup/chunk_ref.h"

struct FPXQueryItem {
    KUID required; // "requires"
    KUID latestVersion;
    UrlRecord downloadLocation; // "latest-version-path"
    int32_t downloadSize = 0;   // "latest-version-size"
    UrlRecord bannerLocation;   // "banner-uri"
    Kiv::PString assetName;     // "asset-name"
    Kiv::PString result;        // "result"
};

using FPXQueryResultList = BlockArray<FPXQueryItem, 13>;

class FPXQuery {
  public:
    // Appends the result's items to out.
    static void ParseResult(const ACSChunkRef& soup, FPXQueryResultList& out);
};
