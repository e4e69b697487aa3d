// TDBBinaryNode: what the two kinds of node of a binary soup body share (the view of a
// region, TDBBinarySoup, and the value node, TDBDataChunk): a reference to the file and the
// payload the node shows, whose offset is the node's identity within the body. A node that
// the file's overlay keeps as an added child is marked held, and tells the file when it
// goes, since the overlay points at it without a reference (the node holds the file).
#pragma once

#include "foundation/soup/binary_entry.h"
#include "foundation/soup/chunk.h"

class TDBBinaryFile;

class TDBBinaryNode : public ACSChunk {
  public:
    // Takes a reference to the file.
    TDBBinaryNode(TDBBinaryFile* file, const BinaryPayload& payload);
    ~TDBBinaryNode() override;

    const TDBBinaryFile* File() const { return file_; }
    const BinaryPayload& Payload() const { return payload_; }
    void MarkHeld() { held_ = true; }

  protected:
    TDBBinaryFile* const file_;
    const BinaryPayload payload_;

  private:
    bool held_ = false;
};

// The node of one entry of the file's body: a view for a container, else a data node.
ACSChunkRef DecodeBinaryPayload(TDBBinaryFile* file, const BinaryPayload& payload);
