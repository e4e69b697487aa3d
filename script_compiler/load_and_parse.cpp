// GSCompiler::LoadAndParse: one source from the include list to its syntax tree. The
// scanner and the arena are process-wide for the time of one parse (the parser's actions
// reach them); an include is loaded only after its parent's parse has ended, so parses
// never nest.
#include <cstring>
#include <sstream>
#include <string>

#include "foundation/text/crc32.h"
#include "script_compiler/compile_arena.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_include_list.h"
#include "script_compiler/gs_parser_actions.h"
#include "script_compiler/gs_scanner.h"
#include "script_compiler/script_file.h"

namespace {

CompileArena* currentArena = nullptr;
GSScanner* currentScanner = nullptr;

// The path of name in the first folder of the include list that holds it, ".gs" before
// ".gse"; empty when none does. archive is the archive of the last folder tried.
Kiv::File::Path FindSource(const char* name, const char*& archive) {
    archive = nullptr;
    const Utils::PtrList& list = GSIncludeList::List();
    for (const Utils::PtrList::Node* node = list.Begin(); node != list.End(); node = node->next) {
        const GSIncludePath& entry = GSIncludeList::At(node);
        archive = entry.archive.Text();
        if (archive && *archive) continue;  // archives are not readable through the file layer
        Kiv::File::Path candidate = entry.path;
        candidate.AddPath(name);
        if (Kiv::File::Exists(candidate.c_str())) return candidate;
        if (!candidate.IsExt("gs")) continue;
        candidate.SetExt("gse");
        if (Kiv::File::Exists(candidate.c_str())) return candidate;
    }
    return {};
}

// Makes the arena and scanner current for one parse, and clears them however it ends.
class CurrentParse {
public:
    CurrentParse(CompileArena& arena, GSScanner& scanner) {
        currentArena = &arena;
        currentScanner = &scanner;
    }
    ~CurrentParse() {
        currentScanner = nullptr;
        currentArena = nullptr;
    }
    CurrentParse(const CurrentParse&) = delete;
    CurrentParse& operator=(const CurrentParse&) = delete;
};

const char* WithoutFolder(const char* name) {
    const char* start = name;
    for (const char* p = name; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') start = p + 1;
    return start;
}

}  // namespace

int GSScanAndParse(CompileArena& arena, std::istream& input) {
    GSScanner scanner;
    yy_buffer_state* buffer = scanner.yy_create_buffer(&input, GSScanner::kBufferBytes);
    scanner.yy_switch_to_buffer(buffer);
    int result;
    bool scannerFailed;
    {
        CurrentParse parse(arena, scanner);
        result = GSCompilerParse();
        scannerFailed = GSTakeScannerError(arena);
    }
    scanner.yy_delete_buffer(buffer);
    if (scannerFailed) return 1;
    arena.errorCount += result;
    return result == 0 ? 0 : 1;
}

CompileArena* GSCompiler::CurrentArena() {
    return currentArena;
}

GSScanner* GSCompiler::CurrentScanner() {
    return currentScanner;
}

int GSCompiler::LoadAndParse(const char* name, CompileArena& arena) {
    arena.fileName = arena.CopyText(name);
    const char* archive = nullptr;
    const Kiv::File::Path path = FindSource(name, archive);
    ScriptFile script;
    if (path.IsEmpty() || !script.Load(archive, path)) {
        Message(arena, "Could not read file %s %s.", archive ? archive : "(null)", name);
        ++arena.errorCount;
        return 1;
    }
    if (script.IsScrambled() && !script.Decrypt()) {
        ++arena.errorCount;
        return 1;
    }
    const uint8_t* data = script.Bytes().data();
    const size_t length = script.Bytes().size();
    if (length >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0) {
        Message(arena, "'%s' appears to be UTF-8 encoded, please resave as ANSI.", name);
        ++arena.errorCount;
        return 1;
    }
    std::istringstream input(std::string(reinterpret_cast<const char*>(data), length));
    if (GSScanAndParse(arena, input) != 0) return 1;
    const size_t preamble = script.GetPreambleLength();
    arena.id1 = ComputeCrc32(data + preamble, length - preamble);
    arena.id2 = ComputeCrc32LowerCase(WithoutFolder(name));
    return 0;
}
