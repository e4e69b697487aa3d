// Request 48: an asset handed over as a CDP archive entry. The answer is the asset's config
// soup with "files" (its folder tree: folders as containers, plain files as blobs), each
// file stored as the archive's file blob (its length, then its LZSS stream; see
// foundation/cdp/cdp_file_blob.h), "compression" "LZSS" and the files' checksum in "dsid".
// Links, fifos and other special entries are skipped with a warning; the folder's own config
// file is left out, since the config soup stands for it and an install writes it anew. An
// asset that cannot be handed over gets a null soup and an error entry in the request's log
// note.
#pragma once

#include <cstddef>
#include <cstdint>

#include "daemon/asset_requests.h"
#include "daemon/daemon_request.h"
#include "foundation/soup/binary_format.h"

constexpr int32_t kRequestArchivedAsset = 48; // KUID, int32 mode -> soup

// Inside an archive the entry's folders sit below "assets", the entry and "files", so they
// nest three levels less than the soup form allows.
constexpr int kMaxArchivedFolderDepth = BinarySoupFormat::kMaxDepth - 3;
// Bounds of one entry, so the reply stays within what a client link takes at once: the
// stored bytes of all files together, and the number of files and folders.
constexpr size_t kMaxArchivedBytes = 96u * 1024 * 1024;
constexpr size_t kMaxArchivedEntries = 65536;

// Answers the request when it is request 48; false for any other. The asset is taken from
// its installed folder, or from its edit copy when it has never been installed: uncommitted
// edits of an installed asset are not handed over. The mode is not interpreted.
bool AnswerArchivedAsset(AssetRequests& assets, const DaemonRequest& request,
                         DaemonResponse& response);
