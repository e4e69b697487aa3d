// The handle of an asset opened or created through the daemon. KAVAssetRecord is shared
// by every copy of one open asset and counts them; the last KAVAssetHandle to let go
// closes the daemon's handle (request 31) and frees the record. The count is a plain
// integer: the copies of one handle are used from one thread at a time.
#pragma once

#include <cstdint>

#include "engine/file_path.h"
#include "engine/pstring.h"
#include "foundation/kuid/kuid.h"

struct KAVAssetRecord {
    int32_t references = 1;
    int64_t daemonHandle = -1;
    KUID kuid;
    Kiv::PString location;
    Kiv::File::Path path;
    bool detailsKnown = true;
};

class KAVAssetHandle {
public:
    KAVAssetHandle() = default;
    // Takes over a new record (count 1).
    KAVAssetHandle(KAVAssetRecord* record, bool forEdit) : record_(record), forEdit_(forEdit) {}
    KAVAssetHandle(const KAVAssetHandle& other) { Copy(other); }
    KAVAssetHandle& operator=(const KAVAssetHandle& other);
    ~KAVAssetHandle() { Release(); }

    bool IsValid() const { return record_ != nullptr; }
    // Takes both fields of other and adds a reference to its record; the record this
    // handle held before loses its reference (the last one closes it), as in assignment.
    void Copy(const KAVAssetHandle& other);
    // Drops this copy's reference; the last one sends request 31 and frees the record.
    void Release();

    // The location and path of the open asset, asked of the daemon once (request 32).
    // False, with both empty, without a record or while the path is unknown.
    bool FetchDetails(Kiv::PString& location, Kiv::File::Path& path);

    KAVAssetRecord* Record() const { return record_; }
    bool IsForEdit() const { return forEdit_; }
    void ClearForEdit() { forEdit_ = false; }

private:
    // Drops one reference of record; the last closes the daemon handle and frees it.
    static void DropReference(KAVAssetRecord* record);

    KAVAssetRecord* record_ = nullptr;
    bool forEdit_ = false;
};
