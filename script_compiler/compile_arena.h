// CompileArena: what one source file of a compile owns: its syntax-tree nodes, the texts
// the tree points at (identifiers, literals, the file name), its library id pair, the tree
// root, its error and warning counts and the compile log it reports to. Nodes come in
// chunks of 256 and texts in 2048-byte chunks (a longer text in a block of its own); nothing
// is freed singly, and everything goes at once with Reset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "script_compiler/gs_node.h"

class GSCompileLog;
class GSSymbolTable;

class CompileArena {
public:
    static constexpr size_t kNodesPerChunk = 256;
    static constexpr size_t kTextChunkBytes = 2048;

    CompileArena() = default;
    CompileArena(const CompileArena&) = delete;
    CompileArena& operator=(const CompileArena&) = delete;

    // Frees every node and text, clears name, ids, root and counts, and keeps the owner and
    // the log for the next source.
    void Reset(GSSymbolTable* owner, GSCompileLog* log);

    // Memory for one node (uninitialised; GSCompiler::NewNode fills it).
    GSCNode* NewNodeMemory();
    // A NUL-terminated copy of length bytes of text, kept until Reset.
    const char* CopyText(const char* text, size_t length);
    const char* CopyText(const char* text);

    const char* fileName = "";
    uint32_t id1 = 0;
    uint32_t id2 = 0;
    GSSymbolTable* owner = nullptr;
    GSCNode* root = nullptr;
    int32_t errorCount = 0;
    int32_t warningCount = 0;
    GSCompileLog* log = nullptr;

private:
    std::vector<std::unique_ptr<GSCNode[]>> nodeChunks_;
    size_t nodesUsed_ = kNodesPerChunk;
    std::vector<std::unique_ptr<char[]>> textChunks_;
    size_t textUsed_ = kTextChunkBytes;
    std::vector<std::unique_ptr<char[]>> largeTexts_;  // texts longer than a chunk
};
