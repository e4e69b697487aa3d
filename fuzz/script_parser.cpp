// The script scanner and parser (flex and bison), one source text into a fresh arena.
#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "script_compiler/compile_arena.h"
#include "script_compiler/gs_compile_log.h"
#include "script_compiler/gs_parser_actions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CompileArena arena;
    GSCompileLog log;
    arena.Reset(nullptr, &log);
    arena.fileName = "fuzz.gs";
    std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
    const int result = GSScanAndParse(arena, input);
    fuzz::Require(result == 0 || result == 1, "parse result is 0 or 1");
    return 0;
}
