// GSCompiler::LoadAndParse: one source from the include list to its syntax tree. The
// scanner and the arena are process-wide for the time of one parse (the parser's actions
// reach them); an include is loaded only after its parent's parse has ended, so parses
// never nest. The file is searched by its name as given (case and folders kept); messages
// and the library id name it in lower case.
#include <cstring>
#include <sstream>
#include <string>

#include "engine/ascii.h"
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

std::string LowerCase(const char* text) {
    std::string lower(text);
    for (char& c : lower) c = Kiv::Ascii::ToLower(c);
    return lower;
}

// Why a protected source that was read did not decrypt.
const char* DecryptFailure(const ScriptFile& script) {
    return script.IsScrambled() ? "it holds no text" : "its content is damaged";
}

}  // namespace

Kiv::File::Path GSCompiler::FindSource(const char* name, const char*& archive) {
    archive = nullptr;
    const Utils::PtrList& list = GSIncludeList::List();
    for (const Utils::PtrList::Node* node = list.Begin(); node != list.End(); node = node->next) {
        const GSIncludePath& entry = GSIncludeList::At(node);
        archive = entry.archive.Text();
        Kiv::File::Path candidate = entry.path;
        candidate.AddPath(name);
        if (ScriptFile::Exists(archive, candidate)) return candidate;
        if (!candidate.IsExt("gs")) continue;
        candidate.SetExt("gse");
        if (ScriptFile::Exists(archive, candidate)) return candidate;
    }
    return {};
}

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
    const std::string lowerName = LowerCase(name);
    arena.fileName = arena.CopyText(lowerName.c_str());
    const char* archive = nullptr;
    const Kiv::File::Path path = FindSource(name, archive);
    ScriptFile script;
    if (path.IsEmpty() || !script.Load(archive, path)) {
        Message(arena, "Could not read file %s %s.", archive ? archive : "(null)", arena.fileName);
        ++arena.errorCount;
        return 1;
    }
    if (script.IsScrambled() && !script.Decrypt()) {
        Message(arena, "Could not read file %s: %s.", path.c_str(), DecryptFailure(script));
        ++arena.errorCount;
        return 1;
    }
    const uint8_t* data = script.Bytes().data();
    const size_t length = script.Bytes().size();
    if (length >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0) {
        Message(arena, "'%s' appears to be UTF-8 encoded, please resave as ANSI.", arena.fileName);
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
