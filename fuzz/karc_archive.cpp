// Multi-asset archives ('karc') as the command host's install job reads them: the first four
// input bytes give the job's archive tag, the rest is the file. Each entry's soup is read as
// the installer reads it and walked. The walk must end, visit at most one entry per twelve
// bytes (an entry's KUID and offset), and never hand an entry a stream reaching past the
// file.
#include "client/host/kav_archive_reader.h"
#include "foundation/cdp/cdp_asset.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    int32_t tag = 0;
    for (int i = 3; i >= 0; --i)
        tag = static_cast<int32_t>(static_cast<uint32_t>(tag) << 8 | data[i]);
    fuzz::InputStream input(data + 4, size - 4);
    const int64_t fileSize = static_cast<int64_t>(size - 4);
    size_t visits = 0;
    KAVArchiveHeader header;
    const KAVArchiveRead read =
        ReadKAVArchive(input.Stream(), tag, header, [&](const KUID& kuid, TStream& entry) {
            ++visits;
            fuzz::Require(!kuid.IsNull(), "no entry under the null KUID");
            fuzz::Require(entry.Size() <= fileSize, "an entry stays inside the file");
            CDPAsset asset;
            asset.Read(entry);
            fuzz::Walk(asset.GetConfig());
            asset.GetKUID();
        });
    fuzz::Require(visits <= static_cast<size_t>(fileSize) / 12, "at most one entry per 12 bytes");
    fuzz::Require(read != KAVArchiveRead::kComplete || header.endOffset == fileSize,
                  "a complete archive is as long as its header says");
    return 0;
}
