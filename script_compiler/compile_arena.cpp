// CompileArena: chunked memory for a source's nodes and texts, freed all at once.
#include "script_compiler/compile_arena.h"

#include <cstring>

void CompileArena::Reset(GSSymbolTable* owningTable, GSCompileLog* compileLog) {
    nodeChunks_.clear();
    nodesUsed_ = kNodesPerChunk;
    textChunks_.clear();
    textUsed_ = kTextChunkBytes;
    largeTexts_.clear();
    fileName = "";
    id1 = id2 = 0;
    root = nullptr;
    errorCount = warningCount = 0;
    owner = owningTable;
    log = compileLog;
}

GSCNode* CompileArena::NewNodeMemory() {
    if (nodesUsed_ == kNodesPerChunk) {
        nodeChunks_.push_back(std::make_unique_for_overwrite<GSCNode[]>(kNodesPerChunk));
        nodesUsed_ = 0;
    }
    return &nodeChunks_.back()[nodesUsed_++];
}

const char* CompileArena::CopyText(const char* text, size_t length) {
    char* copy;
    if (length + 1 > kTextChunkBytes) {
        largeTexts_.push_back(std::make_unique_for_overwrite<char[]>(length + 1));
        copy = largeTexts_.back().get();
    } else {
        if (textUsed_ + length + 1 > kTextChunkBytes) {
            textChunks_.push_back(std::make_unique_for_overwrite<char[]>(kTextChunkBytes));
            textUsed_ = 0;
        }
        copy = textChunks_.back().get() + textUsed_;
        textUsed_ += length + 1;
    }
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}

const char* CompileArena::CopyText(const char* text) {
    return CopyText(text, std::strlen(text));
}
