// The compile word: the script compiler's own command line, run in the working folder the
// process started in, so relative paths mean what the user typed. The compiler sees the
// tool's vector from element 2 on as its options and source (element 1, the command word,
// becomes empty); the caller's vector is left as it was. A compile that fails adds an error
// entry saying so (the compiler's own messages are printed before it), so the closing line
// counts it.
#include <cstdio>
#include <vector>

#include "client/command_context.h"
#include "client/commands/script_commands.h"
#include "client/commands/startup_folder_scope.h"
#include "script_compiler/gs_compiler.h"

namespace KodrinUtil {

namespace {

// Whether the compiler's options name a source: an element that does not start with "-".
bool NamesASource(const CommandContext& context) {
    for (int i = 2; i < context.argc; ++i)
        if (context.Element(i)[0] != '\0' && context.Element(i)[0] != '-') return true;
    return false;
}

}  // namespace

int CommandCompile(CommandContext& context) {
    StartupFolderScope folder;
    std::vector<char*> arguments(context.argv, context.argv + context.argc);
    char empty[] = "";
    arguments[1] = empty;
    const int errors = GSCompiler::Main(context.argc, arguments.data());
    if (errors == 0) return 0;
    if (!NamesASource(context)) {
        AddError(context.log, "No script file to compile.");
        return -1;
    }
    char text[64];
    std::snprintf(text, sizeof text, "The script did not compile: %d errors.", errors);
    AddError(context.log, text);
    return -1;
}

}  // namespace KodrinUtil
