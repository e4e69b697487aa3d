// Request 2: the KUIDs of the assets that a filter tree matches.
#include "link/kav/kav_filter_element.h"
#include "link/kav/kav_requests_asset.h"
#include "link/kav/kav_requests_wire.h"

void KAVAssetRequests::QueryAssets(const KAVFilterElement* filter, KUIDList& out) {
    KAVRequest request;
    KAVFilterElement::Write(request.Payload(), filter);
    if (request.Send(kReqQueryAssets)) ReadKUIDList(request.Reply(), out);
}
