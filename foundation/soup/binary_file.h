// TDBBinaryFile: the binary form of a config soup ("ACS$" files with the extensions "chump",
// "cdp" and "cdp2"): nested length-prefixed entries after a 16-byte header. Reading keeps
// the whole body in one 16-byte-aligned block and builds no tree: the root is a lazy view
// (TDBBinarySoup) that decodes children on access. Edits to views are kept in the file's
// overlay beside the body, keyed by body offsets. The file lives as long as a view, a data
// node or a value borrowed from one refers to it.
#pragma once

#include <cstdint>

#include "engine/pstring.h"
#include "foundation/soup/binary_acs_file.h"
#include "foundation/soup/binary_entry.h"
#include "foundation/soup/binary_overlay.h"
#include "foundation/soup/chunk_ref.h"
#include "foundation/streams/t_stream.h"

class ACSChunk;

class TDBBinaryFile : public ACSFile {
  public:
    TDBBinaryFile() = default;
    ~TDBBinaryFile() override;

    // Reads a file into the handle: the root view, or null when the file holds no soup
    // (an empty or damaged body, or an unknown version). False for a header that is not
    // this form's or a body size the stream cannot hold.
    static bool ReadSoup(ACSChunkRef& handle, TStream& stream);
    // Writes the soup in this form. A child named with 255 bytes or more is left out with
    // its subtree. A tree holding a tag more than kMaxSoupDepth containers below the root
    // (a cycle does), or too large for the form's
    // 32-bit lengths, is not written at all and sets the stream's error 1; other write
    // problems are left in the stream's error too.
    static void WriteSoup(TStream& stream, const ACSChunkRef& root);

    // Reads the header and the body from the stream's position, in place of what the file
    // held. A damaged body is dropped and reads as an empty soup with true; a wrong magic or
    // an impossible body size gives false. A file that a node still refers to is not read
    // again (false).
    bool Read(TStream& stream) override;
    // A view over the whole body; the null chunk without a body or for a version other
    // than 0 and 1.
    ACSChunkRef GetRoot() override;
    // Every entry of the region fits it, container payloads too, and none lies more than
    // kMaxSoupDepth containers below the root.
    bool Validate(uint32_t region, uint32_t size) const;

    int32_t Version() const { return version_; }
    const uint8_t* Body() const { return body_; }

    // The overlay, in body offsets: region is the payload offset of a container entry (0
    // for the root), key the payload offset of a removed entry (0 for an added child).
    void AddOverlayRecord(uint32_t key, uint32_t region, const ACSChunkRef& chunk,
                          const Kiv::PString& name);
    void EraseOverlayRecord(ACSOverlayRecord& record);
    bool IsRemoved(uint32_t key, uint32_t region) const { return overlay_.IsRemoved(key, region); }
    // The chunk of the first added child of the region with that name, else the null chunk.
    ACSChunkRef FindAddedEntry(uint32_t region, const Kiv::PString& name);
    int32_t CountAddedEntries(uint32_t region) const;
    // The n-th added child of the region, its own name and chunk; false when there is none.
    bool GetAddedEntry(uint32_t region, int32_t n, Kiv::PString& name, ACSChunkRef& chunk);
    // The added record of the region that holds that node, or null.
    ACSOverlayRecord* FindAddedRecord(uint32_t region, const ACSChunkRef& chunk);
    // The payload of an entry of this body that the node shows; false for any other node.
    bool OwnPayloadOf(const ACSChunk* chunk, BinaryPayload& payload) const;
    // A held node of this body is going: the overlay stops pointing at it.
    void ForgetNode(const ACSChunk* node) { overlay_.ForgetNode(node); }
    bool IsEdited() const { return overlay_.IsEdited(); }
    uint64_t OverlayGeneration() const { return overlay_.Generation(); }

  private:
    // The region's entries lie at that level (the root's at 0).
    bool ValidateAt(uint32_t region, uint32_t size, int level) const;
    // The added child of a record: its node, or the live node of its payload (made anew
    // when none lives).
    ACSChunkRef ChunkOf(const ACSOverlayRecord& record);
    void DropBody();

    int32_t version_ = -1;
    int32_t bodySize_ = 0;
    uint8_t* body_ = nullptr;
    BinaryOverlay overlay_;
};
