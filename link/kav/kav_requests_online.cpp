// The online profile and login credential the daemon keeps (requests 240 to 242). The
// credential is the user's secret: it is handed to the caller and never logged here.
#include "link/kav/kav_requests_settings.h"
#include "link/kav/kav_requests_wire.h"

Kiv::String KAVSettingsRequests::GetOnlineProfile() {
    KAVRequest request;
    Kiv::String profile;
    if (!request.Send(kReqOnlineProfile)) return profile;
    TStream& reply = request.Reply();
    reply.ReadString(profile);
    // The fields after the name are the daemon's; they are read and dropped.
    Kiv::String dropped;
    uint8_t shortWord[2];
    reply.ReadString(dropped);
    reply.ReadString(dropped);
    reply.ReadBytes(shortWord, sizeof shortWord);
    reply.ReadString(dropped);
    reply.ReadBytes(shortWord, sizeof shortWord);
    return profile;
}

void KAVSettingsRequests::NotifyLoginFailed() {
    KAVRequest request;
    request.Send(kReqLoginFailed);
}

Kiv::String KAVSettingsRequests::GetLoginCredential() {
    KAVRequest request;
    Kiv::String credential;
    if (request.Send(kReqLoginCredential)) request.Reply().ReadString(credential);
    return credential;
}
