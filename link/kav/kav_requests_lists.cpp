// Requests answered by KUID lists: the dependencies of a list of assets (42) or of one
// (43). The daemon's count is not trusted: reading stops at the first KUID that does not
// arrive whole.
#include "link/kav/kav_requests_asset.h"
#include "link/kav/kav_requests_wire.h"

bool KAVAssetRequests::GetDependencyList(const KUIDList& list, KUIDList& out) {
    KAVRequest request;
    WriteKUIDList(request.Payload(), list);
    if (request.Send(kReqDependencyList)) ReadKUIDList(request.Reply(), out);
    return true;
}

bool KAVAssetRequests::GetAssetDependencies(const KUID& kuid, KUIDList& out) {
    KAVRequest request;
    kuid.WriteBinary(request.Payload());
    if (request.Send(kReqAssetDependencies)) ReadKUIDList(request.Reply(), out);
    return true;
}

bool KAVAssetRequests::GetDependencyListOf(const KUID& kuid, KUIDList& out) {
    KUIDList one;
    one.PushBack(kuid);
    return GetDependencyList(one, out);
}
