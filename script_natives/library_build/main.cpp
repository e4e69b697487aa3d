// gs_library_build <sources> <installation>: the build-time program that installs the
// script sources and compiles the script libraries (script_library_build.h). It starts
// nothing else of the tool. Prints the compiler's messages; exits 1 on any error.
#include <cstdio>

#include "script_natives/script_library_build.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: gs_library_build <source folder> <installation folder>\n");
        return 1;
    }
    std::vector<std::string> messages;
    const int errors = BuildScriptLibraries(argv[1], argv[2], messages);
    for (const std::string& message : messages) std::fprintf(stderr, "%s\n", message.c_str());
    return errors == 0 ? 0 : 1;
}
