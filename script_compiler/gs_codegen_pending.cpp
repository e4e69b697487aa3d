// Code generation and the library writer are not built yet: generation refuses every
// source, so a compile that passes its checks ends with the code-generation error and
// writes nothing.
#include "foundation/utils/aligned_byte_buffer.h"
#include "script_compiler/gs_compiler.h"

bool GSCompiler::GenerateCode(GSCompileContext&) {
    return false;
}

bool GSCompiler::WriteLibrary(Utils::AlignedByteBuffer&, GSCompileContext&, GSCompileLog*, const char*) {
    return false;
}
