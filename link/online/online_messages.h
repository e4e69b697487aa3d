// The messages of the online-access link and their wire forms: a direct message (KUID in
// stream form, name, body soup in the "ACS$" form), the versioned direct message (the same,
// then an int32 version and a flag byte) and the group message (KUID, text, group name,
// body). Readers stop at the first stream error and answer false, leaving the fields read
// so far.
#pragma once

#include <cstdint>

#include "engine/pstring.h"
#include "engine/string.h"
#include "foundation/kuid/kuid.h"
#include "foundation/soup/chunk_ref.h"
#include "foundation/streams/t_stream.h"

class OnlineAccessMessage {
public:
    virtual ~OnlineAccessMessage() = default;
    virtual void Write(TStream& stream) const;
    virtual bool Read(TStream& stream);

    Kiv::String name;
    ACSChunkRef body;
    KUID kuid;
};

class OnlineAccessVersionedMessage : public OnlineAccessMessage {
public:
    void Write(TStream& stream) const override;
    bool Read(TStream& stream) override;

    int32_t version = 0;
    uint8_t flag = 0;
};

class OnlineGroupMessage {
public:
    void Write(TStream& stream) const;
    bool Read(TStream& stream);

    Kiv::PString group;
    Kiv::String text;
    ACSChunkRef body;
    KUID kuid;
};
