// GSCompiler::Main: the compiler's own command line. The arguments are read left to right
// into a set of options; "-d" prints the manual and ends at once. With a source name the
// source is compiled beside itself (or into the "-p" folder); without one the usage is
// printed. Either way the compile log then goes to the "-b" file (appended to) and, unless
// "-s", to the console. Output goes through the console layer, so a front end's output
// pipe receives it like every other line of the tool.
#include <cstdio>
#include <string>
#include <vector>

#include "foundation/console/console.h"
#include "script_compiler/gs_compile_log.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_manual_text.h"

namespace {

constexpr double kCompilerVersion = 1.02;

struct CompilerOptions {
    std::string source;
    bool silent = false;
    bool logToFile = false;
    std::string logFile;
    bool outputGiven = false;
    std::string output;
    std::vector<std::string> includes;
    bool manual = false;
};

// Reads one "-x..." argument into the options ("-c", "-t", "-l", "-o" and unknown letters
// are accepted and ignored).
void ReadOption(const char* argument, CompilerOptions& options) {
    const char* value = argument + 2;
    switch (argument[1]) {
        case 's': options.silent = true; break;
        case 'b': options.logToFile = true; options.logFile = value; break;
        case 'p': options.outputGiven = true; options.output = value; break;
        case 'i': options.includes.emplace_back(value); break;
        case 'd': options.manual = true; break;
        default: break;
    }
}

// Stops at "-d": what follows it is not read.
CompilerOptions ReadCommandLine(int argc, char** argv) {
    CompilerOptions options;
    for (int i = 1; i < argc && !options.manual; ++i) {
        const char* argument = argv[i] ? argv[i] : "";
        if (argument[0] != '-') options.source = argument;
        else ReadOption(argument, options);
    }
    return options;
}

std::string UsageText(const char* program) {
    char head[1024];
    std::snprintf(head, sizeof head,
                  "PELMO VizaVozado Compiler V%4.2f\n\n"
                  "%.400s returns number of compile errors\n"
                  "%.400s <option> <option>..\nwhere <option> is one of the following\n\n",
                  kCompilerVersion, program, program);
    return std::string(head) +
           "<-d> print documentation, u might wanna pipe it to a text document =)\n"
           "<-s> silent\n"
           "<-bfilename> dump the build info (compile log) to file\n"
           "<-ppathname> output path\n"
           "<-ofilename> output library filename\n"
           "<filename> input source file\n"
           "<-ipathname> additional include path\n";
}

// Writes text that ends in a line feed as console lines.
void PrintText(const std::string& text) {
    WriteConsoleText(std::string_view(text).substr(0, text.size() - 1));
}

// Every queued message, in order, to the "-b" file and (unless silent) the console.
void FlushLog(GSCompileLog& log, const CompilerOptions& options) {
    FILE* file = options.logToFile ? std::fopen(options.logFile.c_str(), "a+") : nullptr;
    while (const char* message = log.Take()) {
        if (file) std::fprintf(file, "%s\n", message);
        if (!options.silent) WriteConsoleText(message);
    }
    if (file) std::fclose(file);
}

}  // namespace

int GSCompiler::Main(int argc, char** argv) {
    const CompilerOptions options = ReadCommandLine(argc, argv);
    if (options.manual) {
        WriteConsoleText(GSCompilerManual());
        return 0;
    }
    GSCompileLog log;
    int result = 1;
    if (!options.source.empty()) {
        result = CompileToFolder(options.source.c_str(),
                                 options.outputGiven ? options.output.c_str() : nullptr,
                                 options.includes, &log);
    } else {
        PrintText(UsageText(GSCompiler::WithoutFolder(argc > 0 && argv[0] ? argv[0] : "")));
    }
    FlushLog(log, options);
    return result;
}
