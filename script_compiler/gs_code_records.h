// The records that code generation fills for the library writer: one GSCFunction per
// compiled function (its byte code, depth, object-typed slots and line table) and one
// GSCClass per compiled class (its functions and the member initialiser's code). Both build
// their code through GSCodeEmitter, whose emitters first report the code offset to the line
// table (functions with a body only), then apply the opcode's stack effect from the one
// opcode table, then append. A failed growth sets the buffer's flag 1 and later appends are
// skipped; the writer turns that flag into a failure.
#pragma once

#include <cstdint>

#include "foundation/utils/aligned_byte_buffer.h"
#include "foundation/utils/array.h"
#include "foundation/utils/double_link_list.h"
#include "script_runtime/gs_opcode.h"

class GSClassSymbol;
class GSFunctionSymbol;

struct LineDebugInfo {
    uint32_t codeOffset;
    uint32_t line;
};

// (code offset, line) pairs, one where the source line changes.
class GSLineTable {
  public:
    static constexpr uint32_t kStep = 8;

    GSLineTable() { failed = !pairs.Reserve(0); }
    // Appends (offset, currentLine) unless the last pair already has that line.
    void AddLineEntry(uint32_t offset);

    Utils::Array<LineDebugInfo, kStep> pairs;
    uint32_t count = 0;
    int32_t currentLine = 0;
    bool failed = false;  // a pair could not be stored
};

class GSCodeEmitter {
  public:
    static constexpr uint32_t kCodeIncrement = 64;
    static constexpr uint32_t kSlotIncrement = 16;

    GSCodeEmitter();
    virtual ~GSCodeEmitter() = default;
    GSCodeEmitter(const GSCodeEmitter&) = delete;
    GSCodeEmitter& operator=(const GSCodeEmitter&) = delete;

    void EmitOp(GSOpcode opcode);
    void EmitOpInt(GSOpcode opcode, int32_t value);
    void EmitFloat(float value);
    void EmitOpShort(GSOpcode opcode, uint16_t value);
    void EmitOpShort2(GSOpcode opcode, uint16_t first, uint16_t second);
    // The opcode's effect from the opcode table added to the depth, raising the maximum.
    void TrackStackDepth(GSOpcode opcode);
    // A correction the table cannot know (calls, the message of an "on" label).
    void AdjustDepth(int32_t delta);

    // Zero bytes to be patched later (jump operands, switch and wait tables).
    void EmitHole(uint32_t bytes);
    void PatchInt32(uint32_t at, int32_t value);
    void PatchUInt16(uint32_t at, uint16_t value);
    uint32_t Offset() const { return code.Length(); }

    // Appends a slot to the object-typed slots.
    void AddObjectSlot(int32_t slot);

    Utils::AlignedByteBuffer code;
    GSLineTable* lineHook = nullptr;  // null: no line table (the member initialiser)
    int32_t depth = 0;
    int32_t maxDepth = 0;
    int32_t temporaryCount = 0;  // the initialiser's; a function's lives in its symbol
    uint32_t objectSlotCount = 0;
    Utils::AlignedByteBuffer objectSlots;  // u32 slot numbers

  private:
    void Begin(GSOpcode opcode);
    void AppendUInt16(uint16_t value);
};

class GSCFunction : public Utils::IDoubleLinkListNode, public GSCodeEmitter {
  public:
    explicit GSCFunction(GSFunctionSymbol* functionSymbol) : symbol(functionSymbol) {}
    // Sets the line hook, for a function with a body.
    void RecordLines() { lineHook = &lines; }

    GSFunctionSymbol* symbol;
    GSLineTable lines;
};

class GSCClass : public Utils::IDoubleLinkListNode {
  public:
    explicit GSCClass(GSClassSymbol* classSymbol) : symbol(classSymbol) {}
    ~GSCClass() override;

    GSClassSymbol* symbol;
    Utils::DoubleLinkList functions;  // of GSCFunction, in the order they were made
    GSCodeEmitter initialiser;        // its object-typed slots are the member slots
};
