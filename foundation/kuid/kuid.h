// KUID: the name of one asset (author, the author's item number, revision), its text forms,
// the parser of those forms and the eight-byte packed form. The null KUID (-1, -1, 127) is
// the default value and the result of every failed parse. KUIDs order by unsigned fields,
// so the reserved negative authors sort after every real one.
#pragma once

#include <cstdint>

#include "engine/pstring.h"
#include "engine/string.h"

class TStream;

// Two unsigned words: the version in the top 7 bits of word 0 above the low 25 bits of the
// user id, and the content id in word 1.
struct PackedKUID {
    uint32_t word0 = 0xFFFFFFFFu;
    uint32_t word1 = 0xFFFFFFFFu;
    bool operator==(const PackedKUID&) const = default;
};

struct KUID {
    static constexpr int32_t kMaxUserId = 0x1FFFFFF;
    static constexpr int32_t kMinReservedUserId = -0x2000000;
    static constexpr int32_t kMaxVersion = 127;

    int32_t userId = -1;
    int32_t contentId = -1;
    int32_t version = kMaxVersion;

    constexpr KUID() = default;
    constexpr KUID(int32_t user, int32_t content, int32_t ver)
        : userId(user), contentId(content), version(ver) {}

    static constexpr KUID Null() { return KUID(); }
    constexpr bool IsNull() const { return *this == KUID(); }

    constexpr bool operator==(const KUID&) const = default;
    // User id, then content id, then version, each compared as an unsigned number.
    bool operator<(const KUID& other) const;

    // Written with two numbers when (version 0, user id not negative) or (version 127,
    // user id negative); the parser restores the version of a two-number form by that rule.
    bool HasShortForm() const;

    Kiv::PString ToTag() const;          // "<kuid:1:2>", "<kuid2:1:2:3>", "<NULL>"
    Kiv::PString ToShortTag() const;     // "<kuid:1:2>" whatever the version, "<NULL>"
    Kiv::String ToConfigString() const;  // "kuid 1 2", "kuid2 1 2 3", "NULLKUID"
    Kiv::String ToDisplayString() const; // "1:2", "1:2:3", "NULLKUID"

    // Reads any of the text forms; strict accepts only the tag and "kuid:" prefix forms in
    // their exact shape. Anything not accepted, or out of range, gives the null KUID.
    static KUID Parse(const char* text, bool strict);

    PackedKUID Pack() const;
    // The user id comes back sign-extended from 25 bits, so 0x1000000 and above turn negative.
    static KUID Unpack(const PackedKUID& packed);

    // The stream form: int32 content id, then word 0 of the packed form (8 bytes). A short
    // read gives the null KUID's parts (content -1, word 0xFFFFFFFF) and error 4.
    void WriteBinary(TStream& stream) const;
    static KUID ReadBinary(TStream& stream);
};
