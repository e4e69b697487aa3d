// The compiler's command-line entry, waiting for the compiler: one error, no output.
#include "script_compiler/gs_compiler.h"

int GSCompiler::Main(int, char**) {
    return 1;
}
