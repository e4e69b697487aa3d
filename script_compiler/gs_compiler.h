// GSCompiler: the script compiler's entry points and the services its passes share:
// loading and parsing one source into its arena, syntax-tree nodes, literal unquoting and
// the compile log's message forms. The command-line driver, the checks, the code
// generator and the library writer are not built yet: Main answers one error and writes
// nothing.
#pragma once

#include <cstdint>

#include "script_compiler/gs_node.h"

class CompileArena;
class GSScanner;

class GSCompiler {
public:
    static constexpr int kLiteralChars = 2048;

    // The compiler's own command line (element 0 the program name, options and the source
    // after it). Answers the number of errors, 0 meaning success. Not built yet: every
    // call answers one error and writes nothing.
    static int Main(int argc, char** argv);

    // Finds name along GSIncludeList (".gs" before ".gse" in each folder), loads, scans and
    // parses it into the arena's tree and sets the arena's id pair. 0 on success, 1 on any
    // failure, whose errors are added to the arena's error count.
    static int LoadAndParse(const char* name, CompileArena& arena);

    // The content of a literal's token text without its quotes (and "L"), cut to 2047
    // characters, escapes decoded when decode is set. destination holds kLiteralChars.
    static void UnquoteLiteral(char* destination, const char* text, bool decode);

    // A node in the arena with the given values, no children, no value and no flags.
    static GSCNode* NewNode(CompileArena& arena, int32_t category, int32_t kind, int32_t line,
                            int32_t sub);

    // The formatted text (cut to 255 characters) appended to the arena's log, if any.
    static void Message(CompileArena& arena, const char* format, ...)
        __attribute__((format(printf, 2, 3)));
    // Raises the error and/or warning count, then logs "<file>(<line>) : <text>".
    static void ReportError(CompileArena& arena, bool error, bool warning, int line,
                            const char* format, ...) __attribute__((format(printf, 5, 6)));

    // The arena and scanner of the load in progress (null outside LoadAndParse).
    static CompileArena* CurrentArena();
    static GSScanner* CurrentScanner();
};
