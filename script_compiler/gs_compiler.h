// GSCompiler: the script compiler's entry points. Only the command-line entry exists so
// far, and it compiles nothing yet: the scanner, grammar, checks, code generation and the
// library writer come with the compiler itself.
#pragma once

class GSCompiler {
public:
    // The compiler's own command line (element 0 the program name, options and the source
    // after it). Answers the number of errors, 0 meaning success. Not built yet: every
    // call answers one error and writes nothing.
    static int Main(int argc, char** argv);
};
