// Utils::CompileArenaPools<Node>: the two pools of one source file's compile arena, the
// syntax-tree nodes (a BlockMemory of sizeof(Node) blocks, 256 a chunk, empty chunks given
// back beyond 4096 spare blocks) and the texts (a FrameMemory of 2048-byte chunks:
// identifiers, literals, the file name). The script compiler's arena embeds it with its
// own node record; nodes are never freed singly, the whole tree goes at Reset.
#pragma once

#include <cstdint>
#include <type_traits>

#include "foundation/utils/block_memory.h"
#include "foundation/utils/frame_memory.h"

namespace Utils {

template <class Node> class CompileArenaPools {
    static_assert(std::is_trivially_destructible_v<Node>,
                  "the pools are recycled without running destructors");

  public:
    static constexpr uint32_t kNodeReleaseThreshold = 4096;
    static constexpr uint32_t kNodesPerChunk = 256;
    static constexpr uint32_t kTextChunkSize = 2048;

    // No chunks until Reset.
    CompileArenaPools() { texts_.Release(); }

    // Gives back every node and text, then sets both pools up afresh. False when the node
    // pool's table cannot be had (every node allocation then fails).
    bool Reset() {
        nodes_.FreeAll();
        texts_.Release();
        texts_.Init(kTextChunkSize);
        return nodes_.Init(kNodeReleaseThreshold, sizeof(Node), kNodesPerChunk);
    }

    // Uninitialised storage for one node, or null when the pool is exhausted.
    void* AllocNode() { return nodes_.Alloc(); }
    // A copy of a text in the text frames, or null.
    char* StrDup(const char* text) { return texts_.StrDup(text); }

    BlockMemory& Nodes() { return nodes_; }
    FrameMemory& Texts() { return texts_; }

  private:
    BlockMemory nodes_;
    FrameMemory texts_;
};

}  // namespace Utils
