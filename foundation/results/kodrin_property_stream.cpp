// The stream form of a property, as the subject of a results-log entry: kind code, then name
// and value text. Only asset ids (kind 8) are rebuilt on reading; the KUID text is parsed
// leniently, so bad text gives the null KUID rather than a failure.
#include "foundation/results/kodrin_property.h"

#include "foundation/streams/t_stream.h"

void WriteKodrinProperty(TStream& stream, const KodrinPropertyHandle& handle) {
    KodrinProperty* property = handle.Get();
    if (!property) {
        stream.WriteInt32(0);
        return;
    }
    stream.WriteInt32(property->KindCode());
    stream.WritePString(property->Name());
    stream.WritePString(property->GetValueText());
}

bool ReadKodrinProperty(TStream& stream, KodrinPropertyHandle& handle) {
    handle.Release();
    int32_t kind = 0;
    if (!stream.ReadInt32(kind, 0)) return false;
    if (kind == 0) return true;
    Kiv::PString name;
    Kiv::PString value;
    if (!stream.ReadPString(name) || !stream.ReadPString(value)) return false;
    if (kind == KodrinProperty::kAssetIDKindCode)
        handle.Attach(new KodrinPropertyAssetID(name, KUID::Parse(value.c_str(), false)));
    return true;
}
