// UrlRecord: one address split into fixed, zero-terminated fields, as the download-service
// roads, the URL-fetch requests and the online login build and print addresses. A part
// longer than its field keeps the field's size less one characters. A port above 65535 is
// refused rather than wrapped, whatever the number of digits.
#pragma once

#include <cstdint>

#include "engine/pstring.h"

struct UrlRecord {
    char scheme[32];
    char userName[64];
    char password[64];
    char host[128];
    int32_t port;  // 0: none
    char path[256];
    char query[512];  // with its leading "?"

    UrlRecord() { Clear(); }

    // [scheme "://"] [user [":" password] "@"] host [":" port] [path] ["?" query].
    // False, with the record cleared, for a null text or a port above 65535.
    static bool Parse(const char* text, UrlRecord& record);
    // The scheme ("http" when empty), "://", user and password, host, port, path, query.
    static Kiv::PString ToString(const UrlRecord& record);
    // Both scheme and host non-empty.
    bool IsValid() const;
    void Clear();
};
