// KAVAssetInfo: the record of one asset as request 21 fills it, field by field in the
// reply's order, and the flag bits the tool reads from it. A record starts with the
// defaults the tool assumes for an asset it knows nothing about (first flag byte 0x01,
// no local rating). Also the rules that turn a config's names into the name shown.
#pragma once

#include <cstdint>

#include "engine/pstring.h"
#include "engine/string.h"
#include "foundation/kuid/kuid.h"

class ACSChunkRef;
class TStream;

// Bits of the flag bytes; the letter is what the status listing prints, upper case when set.
struct KAVAssetFlags {
    // First byte.
    static constexpr uint8_t kLocallyModified = 0x04; // L
    static constexpr uint8_t kInstalledLocally = 0x08; // I
    static constexpr uint8_t kBuiltIn = 0x10;
    static constexpr uint8_t kFromDownloadService = 0x20;
    static constexpr uint8_t kOnDownloadService = 0x40; // D
    static constexpr uint8_t kArchived = 0x80;          // A
    // Second byte.
    static constexpr uint8_t kOpenForEditing = 0x01;      // E
    static constexpr uint8_t kFaulty = 0x02;              // F
    static constexpr uint8_t kMissingDependencies = 0x08; // M
};

// The detail masks of request 21 that callers use.
enum KAVAssetDetail : int32_t {
    kAssetDetailAll = -1,
    kAssetDetailName = 1,
    kAssetDetailCategories = 4, // region and era category texts, keywords
    kAssetDetailFlags = 8,
};

class KAVAssetInfo {
public:
    static constexpr uint8_t kNoRating = 255;

    KAVAssetInfo() = default;

    // Reads the reply of request 21 in wire order; a short reply leaves defaults behind.
    void Read(TStream& stream);

    // Trims blanks, then takes off one opening and one closing quote (ASCII, CP1252 curly
    // quotes before or after an ASCII byte, UTF-8 curly quotes); empty becomes "untitled".
    static Kiv::String CleanName(const Kiv::String& name);
    // The name a config soup shows: "username", else "name", else "asset-filename";
    // underscores become blanks for content older than build 2.90; then cleaned.
    static Kiv::String DisplayName(const ACSChunkRef& soup);

    KUID kuid;
    Kiv::String name;
    Kiv::String regionCategory;
    Kiv::String keywords;
    uint8_t flags1 = 0x01;
    uint8_t flags2 = 0x00;
    uint8_t flags3 = 0x00; // two bits
    int32_t authorId = 0;
    Kiv::PString creatorName;
    Kiv::String eraCategory;
    int32_t secondInt = -1;
    Kiv::PString secondName;
    Kiv::String categoryText;
    uint8_t flags4 = 0x00; // three bits
    uint8_t localRating = kNoRating;
    float build = 0.0f;
    int64_t firstTime = 0;
    int64_t secondTime = 0;
    KUID parentKUID;
    bool valid = false;
};
