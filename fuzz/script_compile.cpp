// A whole compile of one source text: scanner, parser, checks, code generation and the
// library image (built in memory, not written), as a check-only compile through the
// driver. The source is a file in the scratch folder, which is the only include folder, so
// an include of the source itself is met as already compiled.
#include "fuzz_support.h"
#include "script_compiler/gs_compile_log.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_include_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path& folder = fuzz::ScratchFolder();
    fuzz::WriteFile(folder / "fuzz.gs", data, size);
    GSIncludeList::Clear();
    GSIncludeList::PushBack(GSIncludePath(Kiv::File::Path(folder.c_str()), Kiv::PString()));
    GSCompileLog log;
    const int errors = GSCompiler::CompileToPath(&log, "fuzz.gs", nullptr);
    fuzz::Require(errors >= 0, "the error count is never negative");
    return 0;
}
