// GSLibraryWriter: writes the ".gsl" image of a compile (GSCompiler::WriteLibrary). Sections
// 4 to 6 are built first into a buffer of their own, because they add names to the library
// string table; then the header and sections 2 and 3 go into the output and that buffer is
// appended. Every class, function and ancestor that section 6 refers to is numbered before
// sections 4 and 5 are written (the method tables are built up front for this), so the
// reference sections are complete; no number may be given after them.
// All words are little-endian; a chunk is {u32 size, u32 tag, payload}, its size patched
// once the payload is written.
#pragma once

#include <cstdint>
#include <vector>

#include "foundation/utils/aligned_byte_buffer.h"

class GSCClass;
class GSCFunction;
class GSClassSymbol;
class GSCompileContext;
class GSCompileLog;
class GSFunctionSymbol;

// A method-table entry while the table is built: the function it dispatches to and the
// variable offset, inside the class being written, of the class that defines it.
struct GSFunctionSymbolExt {
    GSFunctionSymbol* function;
    int32_t variableOffset;
};

using GSMethodTable = std::vector<GSFunctionSymbolExt>;

// Chunk framing: BeginChunk reserves the size word and writes the tag; EndChunk writes the
// size (from the size word to the current end) and returns to the end.
inline uint32_t BeginChunk(Utils::AlignedByteBuffer& out, uint32_t tag) {
    const uint32_t start = out.Length();
    out.AppendUInt32(0);
    out.AppendUInt32(tag);
    return start;
}

inline void EndChunk(Utils::AlignedByteBuffer& out, uint32_t start) {
    const uint32_t end = out.Length();
    out.Seek(start);
    out.AppendUInt32(end - start);
    out.Seek(end);
}

// Patches the word at `at` and returns to the end.
inline void PatchWord(Utils::AlignedByteBuffer& out, uint32_t at, uint32_t value) {
    const uint32_t end = out.Length();
    out.Seek(at);
    out.AppendUInt32(value);
    out.Seek(end);
}

// `pad` bytes up to the next 4-byte position of the buffer.
inline void PadToWord(Utils::AlignedByteBuffer& out, uint8_t pad) {
    while (out.Length() % 4 != 0 && !(out.Flags() & Utils::AlignedByteBuffer::kAllocFailed)) out.AppendBytes(&pad, 1);
}

class GSLibraryWriter {
  public:
    static constexpr uint32_t kMagic = 0xF762575D;
    static constexpr uint32_t kVersionBits = 0x3F828F5C;  // 1.02f
    static constexpr uint32_t kLineTableMarker = 0x6462676C;  // "lgbd"
    static constexpr uint32_t kSectionIncrement = 512;

    GSLibraryWriter(GSCompileContext& context, GSCompileLog* log) : context_(context), log_(log) {}

    bool WriteLibrary(Utils::AlignedByteBuffer& output, const char* sourceName);

    // Appends to `table` the entries of `adding` as seen from `target`: first, recursively,
    // each direct parent's (in ancestor-list order), then the class's own functions in slot
    // order, each overriding every earlier entry with the same key. False (with "Wrong return
    // type on function: ", the mangled name and "\n" logged) when an override changes the
    // return type.
    static bool BuildMethodTable(GSClassSymbol* target, GSClassSymbol* adding, GSMethodTable& table, GSCompileLog* log);

  private:
    bool NumberReferences();
    void WriteHeader(Utils::AlignedByteBuffer& out, const char* sourceName);
    void WriteDependencySection(Utils::AlignedByteBuffer& out);
    void WriteStringSection(Utils::AlignedByteBuffer& out);
    bool WriteClassRefSection(Utils::AlignedByteBuffer& out);
    bool WriteFunctionRefSection(Utils::AlignedByteBuffer& out);
    bool WriteClassSection(Utils::AlignedByteBuffer& out);
    bool WriteClass(Utils::AlignedByteBuffer& out, GSCClass& record, const GSMethodTable& table);
    bool WriteFunctionList(Utils::AlignedByteBuffer& out, GSCClass& record);
    bool WriteFunction(Utils::AlignedByteBuffer& out, GSCFunction& function);
    bool WriteInitialiser(Utils::AlignedByteBuffer& out, GSCClass& record);
    bool WriteMemberSection(Utils::AlignedByteBuffer& out, GSClassSymbol& symbol);
    void WriteMethodTable(Utils::AlignedByteBuffer& out, const GSMethodTable& table);
    void WriteLayoutSection(Utils::AlignedByteBuffer& out, GSCClass& record);

    // The string index of the text (interned now), as a word; false when it cannot be stored.
    bool WriteString(Utils::AlignedByteBuffer& out, const char* text);
    // The class-ref index of a class named in section 6 (already numbered), or -1.
    uint32_t ClassRef(const char* name);

    GSCompileContext& context_;
    GSCompileLog* log_;
    std::vector<GSMethodTable> tables_;  // one per class record, in list order
};
