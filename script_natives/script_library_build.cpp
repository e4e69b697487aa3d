// Copying the script sources into an installation and compiling them into its libraries.
#include "script_natives/script_library_build.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "script_compiler/gs_compile_log.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_include_list.h"

namespace {

namespace fs = std::filesystem;

// The ".gs" files of the folder, by name, so builds are repeatable.
std::vector<fs::path> SourcesOf(const fs::path& folder, std::error_code& error) {
    std::vector<fs::path> sources;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (it->is_regular_file() && it->path().extension() == ".gs") sources.push_back(it->path());
    std::sort(sources.begin(), sources.end());
    return sources;
}

int Compile(const fs::path& source, const fs::path& libraries, std::vector<std::string>& messages) {
    const fs::path output = libraries / source.filename().replace_extension(".gsl");
    GSCompileLog log;
    const int errors = GSCompiler::CompileToFolder(source.c_str(), output.c_str(), {}, &log);
    for (std::string line; log.Take(line);) messages.push_back(line);
    GSIncludeList::Clear();
    return errors;
}

}  // namespace

int BuildScriptLibraries(const std::string& sourceFolder, const std::string& installFolder,
                         std::vector<std::string>& messages) {
    const fs::path scripts = fs::path(installFolder) / "scripts";
    const fs::path libraries = fs::path(installFolder) / "libraries";
    std::error_code error;
    const std::vector<fs::path> sources = SourcesOf(sourceFolder, error);
    if (!error) fs::create_directories(scripts, error);
    if (!error) fs::create_directories(libraries, error);
    if (error) {
        messages.push_back("cannot prepare the installation's script folders: " + error.message());
        return 1;
    }
    int errors = 0;
    for (const fs::path& source : sources) {
        const fs::path installed = scripts / source.filename();
        if (!fs::copy_file(source, installed, fs::copy_options::overwrite_existing, error)) {
            messages.push_back("cannot copy " + source.string() + ": " + error.message());
            ++errors;
        }
    }
    if (errors != 0) return errors;
    for (const fs::path& source : sources) errors += Compile(scripts / source.filename(), libraries, messages);
    return errors;
}
