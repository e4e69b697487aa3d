// Counting and releasing asset handles, and the details of an open asset (request 32).
#include "link/kav/kav_asset_handle.h"

#include "link/kav/kav_requests_asset.h"
#include "link/kav/kav_requests_wire.h"

KAVAssetHandle& KAVAssetHandle::operator=(const KAVAssetHandle& other) {
    Copy(other);
    return *this;
}

// The new record gains its reference before the old one loses its own, so copying a
// handle onto itself (or onto a copy of the same record) never closes it.
void KAVAssetHandle::Copy(const KAVAssetHandle& other) {
    if (other.record_) ++other.record_->references;
    KAVAssetRecord* old = record_;
    record_ = other.record_;
    forEdit_ = other.forEdit_;
    DropReference(old);
}

void KAVAssetHandle::Release() {
    KAVAssetRecord* record = record_;
    record_ = nullptr;
    DropReference(record);
}

void KAVAssetHandle::DropReference(KAVAssetRecord* record) {
    if (!record || --record->references > 0) return;
    KAVAssetRequests::CloseAssetHandle(*record);
    delete record;
}

bool KAVAssetHandle::FetchDetails(Kiv::PString& location, Kiv::File::Path& path) {
    location = Kiv::PString();
    path = Kiv::File::Path();
    if (!record_) return false;
    if (!record_->detailsKnown) {
        KAVRequest request;
        request.Payload().WriteInt64(record_->daemonHandle);
        if (request.Send(32)) {
            ReadAssetLocation(request.Reply(), record_->location, record_->path);
            record_->detailsKnown = true;
        }
    }
    if (!record_->detailsKnown || record_->path.IsEmpty()) return false;
    location = record_->location;
    path = record_->path;
    return true;
}
