// GSCompiler's shared services: nodes, literal unquoting and the two message forms of the
// compile log. Both forms are bounded: the text is cut to 255 characters and the composed
// "file(line) : text" line to kLineChars - 1, however long the file name.
#include "script_compiler/gs_compiler.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "script_compiler/compile_arena.h"
#include "script_compiler/gs_compile_log.h"

namespace {

constexpr size_t kMessageChars = 256;
constexpr size_t kLineChars = 2048;

char Unescaped(char c) {
    switch (c) {
        case 'n': return '\n';
        case 't': return '\t';
        case 'v': return '\v';
        case 'r': return '\r';
        case 'f': return '\f';
        case 'b': return '\b';
        case 'a': return '\a';
        case '0': return '\0';
        default: return c;
    }
}

}  // namespace

void GSCompiler::UnquoteLiteral(char* destination, const char* text, bool decode) {
    char token[kLiteralChars];
    std::snprintf(token, sizeof token, "%s", text);
    size_t length = std::strlen(token);
    if (length != 0 && (token[length - 1] == '"' || token[length - 1] == '\'')) token[--length] = '\0';
    const char* p = token;
    if (*p == 'L') ++p;
    destination[0] = '\0';
    if (*p != '"' && *p != '\'') return;
    ++p;
    char* out = destination;
    for (; *p; ++p) {
        if (decode && *p == '\\') {
            if (*++p == '\0') break;
            *out++ = Unescaped(*p);
            if (out[-1] == '\0') return;
        } else {
            *out++ = *p;
        }
    }
    *out = '\0';
}

GSCNode* GSCompiler::NewNode(CompileArena& arena, int32_t category, int32_t kind, int32_t line,
                             int32_t sub) {
    GSCNode* node = arena.NewNodeMemory();
    *node = GSCNode{};
    node->category = category;
    node->kind = kind;
    node->line = line;
    node->sub = sub;
    node->valueType = GS_TYPE_NONE;
    node->slot = -1;
    return node;
}

void GSCompiler::Message(CompileArena& arena, const char* format, ...) {
    if (!arena.log) return;
    char text[kMessageChars];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    arena.log->Append(text);
}

namespace {

void Report(CompileArena& arena, bool error, bool warning, const char* fileName, int line,
            const char* format, va_list arguments) {
    if (error) ++arena.errorCount;
    if (warning) ++arena.warningCount;
    if (!arena.log) return;
    char text[kMessageChars];
    std::vsnprintf(text, sizeof text, format, arguments);
    char composed[kLineChars];
    std::snprintf(composed, sizeof composed, "%s(%d) : %s", fileName, line, text);
    arena.log->Append(composed);
}

}  // namespace

void GSCompiler::ReportError(CompileArena& arena, bool error, bool warning, int line,
                             const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    Report(arena, error, warning, arena.fileName, line, format, arguments);
    va_end(arguments);
}

void GSCompiler::ReportErrorAt(CompileArena& arena, bool error, bool warning, const char* fileName,
                               int line, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    Report(arena, error, warning, fileName ? fileName : "", line, format, arguments);
    va_end(arguments);
}

const char* GSCompiler::WithoutFolder(const char* path) {
    const char* start = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') start = p + 1;
    return start;
}
