// The library image: the writing order, the header, the dependency, string, class-reference
// and function-reference sections, and the library string table.
#include "script_compiler/gs_library_writer.h"

#include <cassert>
#include <cstring>

#include "script_compiler/gs_code_records.h"
#include "script_compiler/gs_compile_context.h"
#include "script_compiler/gs_compiler.h"

namespace {

constexpr uint32_t kAllocFailed = Utils::AlignedByteBuffer::kAllocFailed;

// A slot or method index as the image keeps it: 16 bits, sign-extended.
uint32_t SignExtended16(int32_t value) { return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(value))); }

}  // namespace

bool GSCompiler::WriteLibrary(Utils::AlignedByteBuffer& output, GSCompileContext& context, GSCompileLog* log,
                              const char* sourceName) {
    GSLibraryWriter writer(context, log);
    return writer.WriteLibrary(output, sourceName);
}

int32_t GSCompiler::InternLibraryString(const char* text, GSCompileContext& context) {
    if (!text) return -1;
    const int32_t known = context.strings.Find(text);
    if (known >= 0) return known;
    const char* key = context.table.CopyName(text);
    if (!key || !context.strings.Insert(key, context.nextStringIndex)) return -1;
    return context.nextStringIndex++;
}

bool GSLibraryWriter::WriteLibrary(Utils::AlignedByteBuffer& output, const char* sourceName) {
    if (!NumberReferences()) return false;
    Utils::AlignedByteBuffer sections;
    sections.Init(kSectionIncrement);
    if (!WriteClassRefSection(sections) || !WriteFunctionRefSection(sections)) return false;
    const int32_t classes = context_.table.classReferenceCount;
    const int32_t functions = context_.table.functionReferenceCount;
    if (!WriteClassSection(sections)) return false;
    // Sections 4 and 5 are final: section 6 may refer only to what they hold.
    assert(classes == context_.table.classReferenceCount && functions == context_.table.functionReferenceCount);
    if (classes != context_.table.classReferenceCount || functions != context_.table.functionReferenceCount) return false;
    output.Reset();
    WriteHeader(output, sourceName);
    WriteDependencySection(output);
    WriteStringSection(output);
    output.AppendBytes(sections.Data(), sections.Length());
    PatchWord(output, 0, output.Length());
    // A buffer that could not grow holds a cut image, which must never pass for a library.
    return !(output.Flags() & kAllocFailed) && !(sections.Flags() & kAllocFailed);
}

void GSLibraryWriter::WriteHeader(Utils::AlignedByteBuffer& out, const char* sourceName) {
    const char* name = sourceName ? sourceName : "";
    const size_t length = std::strlen(name) + 1;
    out.AppendUInt32(0);
    out.AppendUInt32(kMagic);
    out.AppendUInt32(kVersionBits);
    out.AppendUInt32(context_.arena.id1);
    out.AppendUInt32(context_.arena.id2);
    out.AppendUInt32(static_cast<uint32_t>(length));
    out.AppendBytes(name, length);
}

void GSLibraryWriter::WriteDependencySection(Utils::AlignedByteBuffer& out) {
    const uint32_t count = static_cast<uint32_t>(context_.nextDependency);
    const uint32_t start = BeginChunk(out, 2);
    out.AppendUInt32(count);
    const uint32_t entries = out.Length();
    out.Reserve(entries + 8 * count);
    out.Seek(out.Length());
    Utils::HashTable::Iterator it;
    for (bool more = context_.table.Globals().Begin(it); more; more = it.Next()) {
        const auto* symbol = static_cast<const GSSymbol*>(it.Current());
        if (symbol->kind != GS_SYMBOL_DEPENDENCY || symbol->index < 0 || static_cast<uint32_t>(symbol->index) >= count)
            continue;
        const auto* dependency = static_cast<const GSDependentSymbol*>(symbol);
        const uint32_t at = entries + 8 * static_cast<uint32_t>(symbol->index);
        PatchWord(out, at, dependency->id1);
        PatchWord(out, at + 4, dependency->id2);
    }
    EndChunk(out, start);
}

void GSLibraryWriter::WriteStringSection(Utils::AlignedByteBuffer& out) {
    const uint32_t count = static_cast<uint32_t>(context_.nextStringIndex);
    const uint32_t start = BeginChunk(out, 3);
    out.AppendUInt32(count);
    if (count > 0) {
        const uint32_t offsets = out.Length();
        out.Reserve(offsets + 4 * count);
        out.Seek(out.Length());
        const uint32_t strings = out.Length();
        for (const GSLibraryStrings::Entry& entry : context_.strings.InSectionOrder()) {
            if (entry.index < 0 || static_cast<uint32_t>(entry.index) >= count) continue;
            PatchWord(out, offsets + 4 * static_cast<uint32_t>(entry.index), out.Length() - strings);
            out.AppendBytes(entry.key, std::strlen(entry.key) + 1);
        }
        PadToWord(out, 0);
    }
    EndChunk(out, start);
}

bool GSLibraryWriter::WriteString(Utils::AlignedByteBuffer& out, const char* text) {
    const int32_t index = GSCompiler::InternLibraryString(text, context_);
    if (index < 0) return false;
    out.AppendUInt32(static_cast<uint32_t>(index));
    return true;
}

bool GSLibraryWriter::WriteClassRefSection(Utils::AlignedByteBuffer& out) {
    const int32_t count = context_.table.classReferenceCount;
    std::vector<const GSClassSymbol*> classes(static_cast<size_t>(count), nullptr);
    Utils::HashTable::Iterator it;
    for (bool more = context_.table.Globals().Begin(it); more; more = it.Next()) {
        const auto* symbol = static_cast<const GSSymbol*>(it.Current());
        if (symbol->kind == GS_SYMBOL_CLASS && symbol->referenceNumber >= 0 && symbol->referenceNumber < count)
            classes[static_cast<size_t>(symbol->referenceNumber)] = static_cast<const GSClassSymbol*>(symbol);
    }
    const uint32_t start = BeginChunk(out, 4);
    out.AppendUInt32(static_cast<uint32_t>(count));
    for (const GSClassSymbol* symbol : classes) {
        if (!symbol) return false;
        out.AppendUInt32(symbol->dependency ? static_cast<uint32_t>(symbol->dependency->index) : 0);
        if (!WriteString(out, symbol->name)) return false;
    }
    EndChunk(out, start);
    return true;
}

bool GSLibraryWriter::WriteFunctionRefSection(Utils::AlignedByteBuffer& out) {
    const int32_t count = context_.table.functionReferenceCount;
    std::vector<const GSFunctionSymbol*> functions(static_cast<size_t>(count), nullptr);
    Utils::HashTable::Iterator classIt;
    for (bool more = context_.table.Globals().Begin(classIt); more; more = classIt.Next()) {
        auto* symbol = static_cast<GSSymbol*>(classIt.Current());
        if (symbol->kind != GS_SYMBOL_CLASS || symbol->referenceNumber < 0) continue;
        Utils::HashTable::Iterator it;
        for (bool member = static_cast<GSClassSymbol*>(symbol)->Members().Begin(it); member; member = it.Next()) {
            const auto* function = static_cast<const GSSymbol*>(it.Current());
            if (function->kind == GS_SYMBOL_FUNCTION && function->referenceNumber >= 0 && function->referenceNumber < count)
                functions[static_cast<size_t>(function->referenceNumber)] = static_cast<const GSFunctionSymbol*>(function);
        }
    }
    const uint32_t start = BeginChunk(out, 5);
    out.AppendUInt32(static_cast<uint32_t>(count));
    for (const GSFunctionSymbol* function : functions) {
        if (!function) return false;
        const auto* owner = static_cast<const GSClassSymbol*>(function->owner);
        out.AppendUInt32(static_cast<uint32_t>(owner->referenceNumber));
        if (!WriteString(out, function->linkageName)) return false;
        out.AppendUInt32(SignExtended16(owner->functionBase + function->index));
    }
    EndChunk(out, start);
    return true;
}
