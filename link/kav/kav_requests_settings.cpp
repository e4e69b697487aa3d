// Named settings sections kept by the daemon (requests 100 to 103): whole sections as
// binary soups, and single values. Section and key texts go out unchanged.
#include "link/kav/kav_requests_settings.h"
#include "link/kav/kav_requests_wire.h"
#include "foundation/soup/binary_file.h"

namespace {

bool SendSection(const Kiv::PString& section, const ACSChunkRef& soup) {
    KAVRequest request;
    request.Payload().WritePString(section);
    TDBBinaryFile::WriteSoup(request.Payload(), soup);
    return request.Send(kReqWriteSettings);
}

} // namespace

bool KAVSettingsRequests::ReadSettings(ACSChunkRef& soup, const Kiv::PString& section) {
    KAVRequest request;
    request.Payload().WritePString(section);
    if (!request.Send(kReqReadSettings)) return false;
    ACSChunkRef received;
    if (TDBBinaryFile::ReadSoup(received, request.Reply())) soup = received;
    return true;
}

bool KAVSettingsRequests::WriteSettingsSoup(const Kiv::PString& section,
                                            std::unique_ptr<ACSChunkRef> held) {
    if (held && held->CountTags() > 0) return SendSection(section, *held);
    return WriteSettings(section);
}

bool KAVSettingsRequests::WriteSettings(const Kiv::PString& section) {
    return SendSection(section, ACSChunkRef());
}

Kiv::PString KAVSettingsRequests::ReadSetting(const Kiv::PString& section,
                                              const Kiv::PString& key) {
    KAVRequest request;
    request.Payload().WritePString(section);
    request.Payload().WritePString(key);
    Kiv::PString value;
    if (request.Send(kReqReadSetting)) request.Reply().ReadPString(value);
    return value;
}

bool KAVSettingsRequests::WriteSetting(const Kiv::PString& section, const Kiv::PString& key,
                                       const Kiv::PString& value) {
    KAVRequest request;
    request.Payload().WritePString(section);
    request.Payload().WritePString(key);
    request.Payload().WritePString(value);
    request.Send(kReqWriteSetting);
    return true;
}
