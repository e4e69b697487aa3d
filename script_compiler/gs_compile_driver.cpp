// The compile driver: one source and every include it reaches, compiled into one context
// and written as one ".gsl" image. Each source is named in the global symbol table by a
// dependency symbol (its lower-cased file name), numbered in the order sources are first
// met, depth first; an include that any source already compiled is not compiled again, so
// an include cycle ends there. Paths keep the case the caller gave; only the names the
// compiler composes itself (dependency names, the include names of a source) are lower
// case, and the file layer finds those whatever case the file has.
#include <cstdarg>
#include <cstdio>
#include <string>

#include "foundation/utils/aligned_byte_buffer.h"
#include "script_compiler/compile_arena.h"
#include "script_compiler/gs_compile_context.h"
#include "script_compiler/gs_compile_log.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_include_list.h"
#include "script_compiler/gs_symbol_table.h"

namespace {

constexpr uint32_t kImageCapacity = 1024;
constexpr size_t kScratchChars = 2048;

// A formatted driver message (cut to the scratch size) appended to the log, if any.
void AppendMessage(GSCompileLog* log, const char* format, ...) __attribute__((format(printf, 2, 3)));
void AppendMessage(GSCompileLog* log, const char* format, ...) {
    if (!log) return;
    char text[kScratchChars];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    log->Append(text);
}

// The library image of a compiled context; false when it could not be built whole.
bool BuildImage(Utils::AlignedByteBuffer& image, GSCompileContext& context, GSCompileLog* log,
                const char* sourceName) {
    if (!image.Init(kImageCapacity)) return false;
    if (!GSCompiler::WriteLibrary(image, context, log, sourceName)) return false;
    return (image.Flags() & Utils::AlignedByteBuffer::kAllocFailed) == 0;
}

enum class WriteResult { kWritten, kNotOpened, kNotWritten };

// The whole image into the file; a file that could not be written whole is removed, so no
// truncated library is left behind.
WriteResult WriteImage(const Utils::AlignedByteBuffer& image, const char* path) {
    FILE* file = std::fopen(path, "wb");
    if (!file) return WriteResult::kNotOpened;
    const size_t length = image.Length();
    const bool written = std::fwrite(image.Data(), 1, length, file) == length;
    if (std::fclose(file) == 0 && written) return WriteResult::kWritten;
    std::remove(path);
    return WriteResult::kNotWritten;
}

// "<folder of value>/<unit without extension>.gsl".
std::string OutputPath(const char* value, const char* unit) {
    Kiv::File::Path folder(value);
    folder.DelName();
    std::string name(unit);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    std::string path(folder.View());
    if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '/';
    return path + name + ".gsl";
}

void RebuildIncludeList(const char* source, const std::vector<std::string>& includes) {
    GSIncludeList::Clear();
    Kiv::File::Path folder(source);
    folder.DelName();
    GSIncludeList::PushFront(GSIncludePath(folder, Kiv::PString()));
    for (const std::string& include : includes)
        GSIncludeList::PushBack(GSIncludePath(Kiv::File::Path(include.c_str()), Kiv::PString()));
}

// Compiles every include of the arena's tree that no source compiled yet (known by its
// name without folders; searched by the name as written); the sum of their error counts.
// An include found nowhere is an error of the including source, at the include's line.
int CompileIncludes(GSCompileContext& context, CompileArena& arena) {
    int errors = 0;
    for (const GSCNode* item = arena.root; item; item = item->next) {
        if (item->category != GS_DECLARATION || item->kind != GS_DECL_INCLUDE) continue;
        const char* written = item->child[0]->value.text;
        if (context.table.FindDependency(GSCompiler::WithoutFolder(written))) continue;
        const char* archive = nullptr;
        if (GSCompiler::FindSource(written, archive).IsEmpty()) {
            GSCompiler::ReportError(arena, true, false, item->line, "Could not read file %s.", written);
            ++errors;
            continue;
        }
        CompileArena include;
        include.Reset(&context.table, arena.log);
        errors += GSCompiler::CompileFile(context, written, include, false);
    }
    return errors;
}

// Enters the source's dependency symbol with its id pair and the next number.
bool DeclareDependency(GSCompileContext& context, CompileArena& arena, const std::string& name) {
    GSSymbolTable& table = context.table;
    if (table.FindDependency(name.c_str())) return false;
    GSDependentSymbol* dependency = table.NewDependency(name.c_str());
    if (!dependency) return false;
    if (!table.Add(nullptr, dependency, false)) {
        table.FreeSymbol(dependency);
        return false;
    }
    dependency->id1 = arena.id1;
    dependency->id2 = arena.id2;
    dependency->index = context.nextDependency++;
    return true;
}

}  // namespace

int GSCompiler::CompileFile(GSCompileContext& context, const char* name, CompileArena& arena, bool top) {
    const int loaded = LoadAndParse(name, arena);
    if (loaded != 0) return loaded;
    const std::string dependencyName = WithoutFolder(arena.fileName);
    if (!DeclareDependency(context, arena, dependencyName)) {
        Message(arena, "Internal Compiler Error.");
        return 1;
    }
    const int includeErrors = CompileIncludes(context, arena);
    GSSymbolTable& table = context.table;
    table.ResetReferenceNumbers();
    if (includeErrors != 0) return includeErrors;
    GSDependentSymbol* dependency = table.FindDependency(dependencyName.c_str());
    if (!dependency) return 1;
    table.currentDependency = dependency;
    table.arena = &arena;
    arena.errorCount = 0;
    GSAnalyseState state;
    state.include = !top;
    AnalyseTree(state, arena.root, arena);
    return arena.errorCount;
}

int GSCompiler::Compile(const char* name, GSCompileContext& context, GSCompileLog* log) {
    std::string unit(name);
    if (!unit.empty() && unit.back() == 'e') unit.pop_back();
    context.Reset();
    context.table.ResetGlobalScope();
    context.arena.Reset(&context.table, log);
    const int errors = CompileFile(context, unit.c_str(), context.arena, true);
    if (errors != 0) return errors;
    if (GenerateCode(context)) return 0;
    // Errors of the source found while generating (a label placed twice, a jump to no label,
    // a duplicate case) are counted and say what is wrong; only a failure without one is
    // the generator's own.
    if (context.arena.errorCount > 0) return context.arena.errorCount;
    if (log) log->Append("\nInternal Code Generation Error...");
    return 1;
}

int GSCompiler::CompileToFolder(const char* source, const char* output,
                                const std::vector<std::string>& includes, GSCompileLog* log) {
    RebuildIncludeList(source, includes);
    const char* unit = WithoutFolder(source);
    GSCompileContext context;
    int result = Compile(unit, context, log);
    if (result != 0) return result;
    Utils::AlignedByteBuffer image;
    if (!BuildImage(image, context, log, source)) {
        AppendMessage(log, "Internal Compiler Error.\n");
        return 1;
    }
    const std::string path = OutputPath(output ? output : source, unit);
    switch (WriteImage(image, path.c_str())) {
        case WriteResult::kWritten: return 0;
        case WriteResult::kNotOpened: AppendMessage(log, "Unable to open output file.\n"); return 1;
        case WriteResult::kNotWritten: AppendMessage(log, "Unable to write output file.\n"); return 1;
    }
    return 1;
}

int GSCompiler::CompileToPath(GSCompileLog* log, const char* source, const char* output) {
    if (!source) return 0;
    GSCompileContext context;
    const int result = Compile(source, context, log);
    if (result != 0) return result;
    Utils::AlignedByteBuffer image;
    if (!BuildImage(image, context, log, source)) {
        AppendMessage(log, "Internal Compiler Error on '%s'.\n", source);
        return 1;
    }
    if (!output) return 0;
    switch (WriteImage(image, output)) {
        case WriteResult::kWritten: return 0;
        case WriteResult::kNotOpened: AppendMessage(log, "Unable to open output file: '%s'.\n", output); return 1;
        case WriteResult::kNotWritten: AppendMessage(log, "Unable to write output file: '%s'.\n", output); return 1;
    }
    return 1;
}
