// The compile word: the script compiler's own command line, run in the working folder the
// process started in, so relative paths mean what the user typed. The compiler sees the
// tool's vector from element 2 on as its options and source (element 1, the command word,
// becomes empty); the caller's vector is left as it was.
#include <vector>

#include "client/commands/script_commands.h"
#include "client/commands/startup_folder_scope.h"
#include "script_compiler/gs_compiler.h"

namespace KodrinUtil {

int CommandCompile(CommandContext& context) {
    StartupFolderScope folder;
    std::vector<char*> arguments(context.argv, context.argv + context.argc);
    char empty[] = "";
    arguments[1] = empty;
    const int errors = GSCompiler::Main(context.argc, arguments.data());
    return errors == 0 ? 0 : -1;
}

}  // namespace KodrinUtil
