// The class section of the library image: one class chunk per compiled class with its
// ancestors, its function list (the compiled functions, then the member initialiser), its
// members, its method table and its instance layout.
#include <cstring>
#include <string>

#include "script_compiler/gs_code_records.h"
#include "script_compiler/gs_compile_context.h"
#include "script_compiler/gs_library_writer.h"

namespace {

constexpr uint32_t kClassFlags = 0x14C;     // static, final, game, secured
constexpr uint32_t kFunctionFlags = 0x3B;   // public, native, final, thread, initialiser
constexpr uint32_t kInitialiserFlag = 0x20;
constexpr uint32_t kAllocFailed = Utils::AlignedByteBuffer::kAllocFailed;

uint32_t SignExtended16(int32_t value) { return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(value))); }

uint32_t Word(int32_t value) { return static_cast<uint32_t>(value); }

const GSAncestor& AncestorAt(const Utils::PtrList::Node* node) { return *static_cast<const GSAncestor*>(node->value); }

// The frame words of a function chunk, fields 7 to 13.
void WriteFrame(Utils::AlignedByteBuffer& out, int32_t p, int32_t a, int32_t b, int32_t d) {
    out.AppendUInt32(Word(a + b + 4));
    out.AppendUInt32(Word(1 - p));
    out.AppendUInt32(Word(a + b + 1));
    out.AppendUInt32(Word(d + a + b + 4));
    out.AppendUInt32(Word(p));
    out.AppendUInt32(Word(a));
    out.AppendUInt32(Word(b));
}

// The code's length, its bytes and 0xFF up to a word boundary of the buffer.
void WriteCode(Utils::AlignedByteBuffer& out, const GSCodeEmitter& emitter) {
    out.AppendUInt32(emitter.code.Length());
    out.AppendBytes(emitter.code.Data(), emitter.code.Length());
    PadToWord(out, 0xFF);
}

bool Failed(const GSCodeEmitter& emitter) {
    return (emitter.code.Flags() & kAllocFailed) || (emitter.objectSlots.Flags() & kAllocFailed);
}

}  // namespace

uint32_t GSLibraryWriter::ClassRef(const char* name) {
    const GSSymbol* symbol = name ? context_.table.FindGlobal(name) : nullptr;
    if (!symbol || symbol->kind != GS_SYMBOL_CLASS) return 0xFFFFFFFF;
    return Word(symbol->referenceNumber);
}

bool GSLibraryWriter::WriteClassSection(Utils::AlignedByteBuffer& out) {
    const uint32_t start = BeginChunk(out, 6);
    out.AppendUInt32(context_.classes.Count());
    size_t index = 0;
    for (auto* node = context_.classes.Begin(); node != context_.classes.End(); node = node->Next(), ++index)
        if (!WriteClass(out, *static_cast<GSCClass*>(node), tables_[index])) return false;
    EndChunk(out, start);
    return true;
}

bool GSLibraryWriter::WriteClass(Utils::AlignedByteBuffer& out, GSCClass& record, const GSMethodTable& table) {
    GSClassSymbol& symbol = *record.symbol;
    const uint32_t start = BeginChunk(out, 7);
    if (!WriteString(out, symbol.name)) return false;
    out.AppendUInt32(symbol.flags & kClassFlags);
    out.AppendUInt32(symbol.Ancestors().Count());
    for (const auto* node = symbol.Ancestors().Begin(); node != symbol.Ancestors().End(); node = node->next) {
        const GSAncestor& ancestor = AncestorAt(node);
        out.AppendUInt32(Word(ancestor.symbol->referenceNumber));
        out.AppendUInt32(Word(ancestor.variableOffset));
        out.AppendUInt32(ancestor.direct ? 1 : 0);
    }
    if (!WriteFunctionList(out, record) || !WriteMemberSection(out, symbol)) return false;
    WriteMethodTable(out, table);
    WriteLayoutSection(out, record);
    EndChunk(out, start);
    return true;
}

bool GSLibraryWriter::WriteFunctionList(Utils::AlignedByteBuffer& out, GSCClass& record) {
    const uint32_t start = BeginChunk(out, 8);
    out.AppendUInt32(record.functions.Count() + 1);
    for (auto* node = record.functions.Begin(); node != record.functions.End(); node = node->Next())
        if (!WriteFunction(out, *static_cast<GSCFunction*>(node))) return false;
    if (!WriteInitialiser(out, record)) return false;
    EndChunk(out, start);
    return true;
}

bool GSLibraryWriter::WriteFunction(Utils::AlignedByteBuffer& out, GSCFunction& function) {
    const GSFunctionSymbol& symbol = *function.symbol;
    const auto* owner = static_cast<const GSClassSymbol*>(symbol.owner);
    const uint32_t start = BeginChunk(out, 9);
    if (!WriteString(out, symbol.linkageName)) return false;
    out.AppendUInt32(Word(symbol.typeCode));
    out.AppendUInt32(ClassRef(symbol.returnClassName));
    out.AppendUInt32(symbol.flags & kFunctionFlags);
    out.AppendUInt32(owner ? SignExtended16(owner->functionBase + symbol.index) : 0xFFFFFFFF);
    // Code whose operand depth does not come back to 0 would unbalance the runtime's stack.
    if (function.depth != 0 || Failed(function) || function.lines.failed) return false;
    WriteFrame(out, symbol.argumentCount, symbol.localCount, symbol.temporaryCount, function.maxDepth);
    out.AppendUInt32(function.objectSlotCount);
    out.AppendBytes(function.objectSlots.Data(), function.objectSlots.Length());
    WriteCode(out, function);
    out.AppendUInt32(kLineTableMarker);
    out.AppendUInt32(function.lines.count);
    for (uint32_t i = 0; i < function.lines.count; ++i) {
        out.AppendUInt32(function.lines.pairs[i].codeOffset);
        out.AppendUInt32(function.lines.pairs[i].line);
    }
    EndChunk(out, start);
    return true;
}

bool GSLibraryWriter::WriteInitialiser(Utils::AlignedByteBuffer& out, GSCClass& record) {
    const GSCodeEmitter& initialiser = record.initialiser;
    if (Failed(initialiser)) return false;
    const std::string name = std::string("::") + record.symbol->name + "()";
    const uint32_t start = BeginChunk(out, 9);
    if (!WriteString(out, name.c_str())) return false;
    out.AppendUInt32(0);
    out.AppendUInt32(0xFFFFFFFF);
    out.AppendUInt32(kInitialiserFlag);
    out.AppendUInt32(0xFFFFFFFF);
    WriteFrame(out, 1, 0, initialiser.temporaryCount, initialiser.maxDepth);
    out.AppendUInt32(0);
    WriteCode(out, initialiser);
    EndChunk(out, start);
    return true;
}

bool GSLibraryWriter::WriteMemberSection(Utils::AlignedByteBuffer& out, GSClassSymbol& symbol) {
    const uint32_t start = BeginChunk(out, 10);
    const uint32_t countAt = out.Length();
    out.AppendUInt32(0);
    uint32_t count = 0;
    Utils::HashTable::Iterator it;
    for (bool more = symbol.Members().Begin(it); more; more = it.Next()) {
        const auto* member = static_cast<const GSSymbol*>(it.Current());
        if (member->kind != GS_SYMBOL_VARIABLE || (member->flags & GS_FLAG_DEFINE)) continue;
        const auto* variable = static_cast<const GSVariableSymbol*>(member);
        if (!WriteString(out, variable->name)) return false;
        out.AppendUInt32(Word(variable->typeCode));
        out.AppendUInt32(ClassRef(variable->className));
        out.AppendUInt32(variable->flags & GS_FLAG_PUBLIC);
        out.AppendUInt32(SignExtended16(symbol.variableBase + variable->index));
        ++count;
    }
    PatchWord(out, countAt, count);
    EndChunk(out, start);
    return true;
}

void GSLibraryWriter::WriteMethodTable(Utils::AlignedByteBuffer& out, const GSMethodTable& table) {
    const uint32_t count = static_cast<uint32_t>(table.size());
    out.AppendUInt32(12 + 8 * count);
    out.AppendUInt32(11);
    out.AppendUInt32(count);
    for (const GSFunctionSymbolExt& entry : table) {
        out.AppendUInt32(Word(entry.function->referenceNumber));
        out.AppendUInt32(Word(entry.variableOffset));
    }
}

void GSLibraryWriter::WriteLayoutSection(Utils::AlignedByteBuffer& out, GSCClass& record) {
    GSClassSymbol& symbol = *record.symbol;
    const uint32_t start = BeginChunk(out, 12);
    out.AppendUInt32(Word(symbol.variableBase + symbol.ownVariableCount + 3));
    out.AppendUInt32(2 * symbol.Ancestors().Count() + 1);
    for (const auto* node = symbol.Ancestors().Begin(); node != symbol.Ancestors().End(); node = node->next) {
        const GSAncestor& ancestor = AncestorAt(node);
        out.AppendUInt32(0);
        out.AppendUInt32(Word(ancestor.variableOffset));
        out.AppendUInt32(Word(-ancestor.variableOffset));
        out.AppendUInt32(1);
        out.AppendUInt32(Word(ancestor.variableOffset + 1));
        out.AppendUInt32(Word(ancestor.functionOffset));
    }
    out.AppendUInt32(1);
    out.AppendUInt32(1);
    out.AppendUInt32(0);
    out.AppendUInt32(record.initialiser.objectSlotCount);
    out.AppendBytes(record.initialiser.objectSlots.Data(), record.initialiser.objectSlots.Length());
    EndChunk(out, start);
}
