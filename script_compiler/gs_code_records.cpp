// The code records' emitters, line tables and object-typed slots.
#include "script_compiler/gs_code_records.h"

#include <algorithm>
#include <cstring>

#include "script_compiler/gs_symbol.h"

void GSLineTable::AddLineEntry(uint32_t offset) {
    const uint32_t line = static_cast<uint32_t>(currentLine);
    if (count > 0 && pairs[count - 1].line == line) return;
    // A full table grows to twice its pairs (in whole steps), so a function of n lines
    // copies its table O(log n) times, not n / kStep times.
    const auto doubled = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{count} * 2, UINT32_MAX - 1));
    if (count >= pairs.Capacity() && !pairs.Reserve(doubled)) {
        failed = true;
        return;
    }
    pairs[count++] = {offset, line};
}

GSCodeEmitter::GSCodeEmitter() {
    code.Init(kCodeIncrement);
    objectSlots.Init(kSlotIncrement);
}

void GSCodeEmitter::Begin(GSOpcode opcode) {
    if (lineHook) lineHook->AddLineEntry(Offset());
    TrackStackDepth(opcode);
    const uint8_t byte = opcode;
    code.AppendBytes(&byte, 1);
}

void GSCodeEmitter::AppendUInt16(uint16_t value) {
    const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    code.AppendBytes(bytes, 2);
}

void GSCodeEmitter::EmitOp(GSOpcode opcode) { Begin(opcode); }

void GSCodeEmitter::EmitOpInt(GSOpcode opcode, int32_t value) {
    Begin(opcode);
    code.AppendUInt32(static_cast<uint32_t>(value));
}

void GSCodeEmitter::EmitFloat(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    Begin(OP_PushInt);
    code.AppendUInt32(bits);
}

void GSCodeEmitter::EmitOpShort(GSOpcode opcode, uint16_t value) {
    Begin(opcode);
    AppendUInt16(value);
}

void GSCodeEmitter::EmitOpShort2(GSOpcode opcode, uint16_t first, uint16_t second) {
    Begin(opcode);
    AppendUInt16(first);
    AppendUInt16(second);
}

void GSCodeEmitter::TrackStackDepth(GSOpcode opcode) { AdjustDepth(GetGSOpcodeInfo(opcode).StackEffect()); }

void GSCodeEmitter::AdjustDepth(int32_t delta) {
    depth += delta;
    if (depth > maxDepth) maxDepth = depth;
}

void GSCodeEmitter::EmitHole(uint32_t bytes) {
    static constexpr uint8_t kZeros[64] = {};
    for (; bytes > sizeof kZeros; bytes -= sizeof kZeros) code.AppendBytes(kZeros, sizeof kZeros);
    code.AppendBytes(kZeros, bytes);
}

void GSCodeEmitter::PatchInt32(uint32_t at, int32_t value) {
    if (code.Flags() & Utils::AlignedByteBuffer::kAllocFailed) return;
    const uint32_t end = code.Length();
    code.Seek(at);
    code.AppendUInt32(static_cast<uint32_t>(value));
    code.Seek(end);
}

void GSCodeEmitter::PatchUInt16(uint32_t at, uint16_t value) {
    if (code.Flags() & Utils::AlignedByteBuffer::kAllocFailed) return;
    const uint32_t end = code.Length();
    code.Seek(at);
    AppendUInt16(value);
    code.Seek(end);
}

void GSCodeEmitter::AddObjectSlot(int32_t slot) {
    objectSlots.AppendUInt32(static_cast<uint32_t>(slot));
    ++objectSlotCount;
}

GSCClass::~GSCClass() {
    Utils::IDoubleLinkListNode* position = functions.Begin();
    while (Utils::IDoubleLinkListNode* node = functions.PopNode(position)) delete static_cast<GSCFunction*>(node);
}
