// CDPAsset: construction, the binary read and write of its config, its typed tags and the
// "dsid" checksum of its files.
#include "foundation/cdp/cdp_asset.h"

#include "foundation/cdp/cdp_file_blob.h"
#include "foundation/soup/binary_file.h"

CDPAsset::CDPAsset() {
    config_.SetNamedTagString("compression", kCDPFileCompression);
}

bool CDPAsset::Read(TStream& stream) {
    ACSChunkRef root;
    TDBBinaryFile::ReadSoup(root, stream);
    config_ = ACSChunkRef::FromNonNull(root);
    return true;
}

bool CDPAsset::Write(TStream& stream) const {
    TDBBinaryFile::WriteSoup(stream, config_);
    return true;
}

ACSChunkRef CDPAsset::GetFiles() const {
    return config_.GetNamedSoup("files");
}

Kiv::PString CDPAsset::GetCompression() const {
    return config_.GetNamedTag("compression").ToPString();
}

KUID CDPAsset::GetKUID() const {
    return config_.GetNamedTagAsKUID("kuid", KUID::Null());
}

ChunkChecksum CDPAsset::FilesChecksum() const {
    return ChunkChecksum::OfTree(GetFiles());
}

void CDPAsset::SetChecksum() {
    config_.SetNamedTagString("dsid", FilesChecksum().ToString().c_str());
}

bool CDPAsset::VerifyChecksum() const {
    return config_.GetNamedTag("dsid") == FilesChecksum().ToString();
}
