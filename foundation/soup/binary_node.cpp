// The body nodes' hold on their file, and the decoding of an entry into its node.
#include "foundation/soup/binary_node.h"

#include "foundation/soup/binary_data_chunk.h"
#include "foundation/soup/binary_file.h"
#include "foundation/soup/binary_format.h"
#include "foundation/soup/binary_soup.h"

TDBBinaryNode::TDBBinaryNode(TDBBinaryFile* file, const BinaryPayload& payload)
    : file_(file), payload_(payload) {
    file_->AddRef();
}

TDBBinaryNode::~TDBBinaryNode() {
    if (held_) file_->ForgetNode(this);
    ReferenceCountMP::ReleaseRef(file_);
}

ACSChunkRef DecodeBinaryPayload(TDBBinaryFile* file, const BinaryPayload& payload) {
    if (TagTypeReadFrom(payload.fileType) == ACSTagType::Container)
        return ACSChunkRef::Adopt(new TDBBinarySoup(file, payload.offset, payload.size));
    return TDBDataChunk::Decode(file, payload);
}
