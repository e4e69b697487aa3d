// KodrinScripts::CacheScripts (kodrin_scripts.h): every source of the asset folder is
// compiled into the library cache when its library is missing or stale, and registered
// with the script machine. The compiler's include search list is borrowed for the walk:
// the asset folder first, then the include-table assets' folders, then "scripts".
#include <cstdio>
#include <string>
#include <vector>

#include "engine/file.h"
#include "engine/file_find.h"
#include "engine/string.h"
#include "foundation/console/log_message.h"
#include "foundation/results/results_log.h"
#include "link/kav/kav_user_data.h"
#include "foundation/text/crc32.h"
#include "script_compiler/gs_compile_log.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_include_list.h"
#include "script_compiler/script_file.h"
#include "script_runtime/gs_machine.h"
#include "validation/specs/kodrin_scripts.h"
#include "validation/specs/kodrin_scripts_include_text.h"

namespace {

constexpr int32_t kErrorEntry = 3;

void LogError(ResultsLog& log, const std::string& text) {
    log.AddEntry(kErrorEntry, nullptr, Kiv::String(text));
}

// A name less a final "e": "x.gse" and "x.gs" name the same library.
std::string WithoutFinalE(std::string_view name) {
    if (!name.empty() && (name.back() == 'e' || name.back() == 'E')) name.remove_suffix(1);
    return std::string(name);
}

bool IsSourceName(const Kiv::File::Path& name) { return name.IsExt("gs") || name.IsExt("gse"); }

} // namespace

bool KodrinScripts::CompileSource(const char* source, const Kiv::File::Path& library,
                                  ResultsLog& log) const {
    ScriptFile::SetPreamble(Kiv::PString(ScriptIncludeText().c_str()));
    GSCompileLog messages;
    const int errors = GSCompiler::CompileToPath(&messages, source, library.c_str());
    ScriptFile::SetPreamble(Kiv::PString());
    if (errors == 0) return true;
    LogMessage("KodrinScripts::CacheScripts> Syntax error in script of asset '%s'",
                    displayName_().c_str());
    std::string message;
    while (messages.Take(message)) {
        LogMessage("KodrinScripts::CacheScripts> ** GSC> %s", message.c_str());
        LogError(log, message);
    }
    return false;
}

bool KodrinScripts::CacheSource(const Kiv::File::Path& diskFolder, const Kiv::File::Path& folder,
                                const char* name, const Kiv::File::Path& primary,
                                bool& primaryFound, ResultsLog& log) {
    Kiv::File::Path source = diskFolder;
    source.AddPath(name);
    ScriptFile script;
    const uint8_t* text = script.Load(nullptr, source) ? script.GetData() : nullptr;
    if (!text) {
        LogError(log, std::string("Unable to read script source file '") + name + "'");
        return false;
    }
    const uint32_t preamble = script.GetPreambleLength();
    const uint32_t crc1 = ComputeCrc32(text + preamble, script.GetLength() - preamble);
    // The compiler is handed the name the library is named by: lower case, ".gs" (it falls
    // back on the ".gse" form), so its file-name id always equals crc2.
    const std::string unit = Kiv::PString(WithoutFinalE(name)).ToLower().c_str();
    const uint32_t crc2 = ComputeCrc32LowerCase(unit.c_str());
    char libraryName[32];
    std::snprintf(libraryName, sizeof libraryName, "%08x%08x.gsl", crc1, crc2);
    const Kiv::File::Path cache = GetCacheFolder();
    Kiv::File::Path library = cache;
    library.AddPath(libraryName);
    for (bool recompiled = false;; recompiled = true) {
        if (!Kiv::File::Exists(library.c_str()) && !CompileSource(unit.c_str(), library, log)) return false;
        GSLibraryId id;
        if (!GSMachine::Get().AddLibrary(Kiv::PString(), cache.c_str(), libraryName, &id))
            return false;
        if (id.id1 == crc1 && id.id2 == crc2) break;
        if (recompiled) {
            LogError(log, std::string("CRC Mismatch on '") + libraryName +
                              "' after recompile. Do you have both .gs and .gse present?");
            return false;
        }
        Kiv::File::Unlink(library.c_str());
    }
    Kiv::File::Path relative = folder;
    relative.AddPath(name);
    const std::string plain = WithoutFinalE(relative.View());
    if (!primaryFound && Kiv::PString(plain).EqualsIgnoreCase(Kiv::PString(primary.View()))) {
        primaryFound = true;
        id1_ = crc1;
        id2_ = crc2;
    }
    return true;
}

bool KodrinScripts::CacheScripts(const Kiv::PString& location, const Kiv::File::Path& folder,
                                 const Kiv::File::Path& primary, ResultsLog& log) {
    if (flags_ & kSourcesCached) return true;
    flags_ |= kSourcesCached;
    bool primaryFound = primary.IsEmpty();
    const std::vector<GSIncludePath> saved = GSIncludeList::Take();
    ScriptIncludeText().clear();
    LoadScriptLibraries();
    Kiv::File::Path diskFolder = KAVUserData::GetLocationFolder(location);
    diskFolder.AddPath(folder.c_str());
    GSIncludeList::PushFront(GSIncludePath(diskFolder, Kiv::PString()));
    GSIncludeList::PushBack(GSIncludePath(Kiv::File::Path(), Kiv::PString("scripts")));
    Kiv::File::Md(GetCacheFolder().c_str());
    bool result = true;
    Kiv::File::Path pattern = diskFolder;
    pattern.AddPath("*.*");
    Kiv::File::Find find;
    if (find.Open(pattern.c_str())) {
        while (find.Next()) {
            if (find.IsFolder() || !IsSourceName(Kiv::File::Path(find.GetName()))) continue;
            if (!CacheSource(diskFolder, folder, find.GetName(), primary, primaryFound, log))
                result = false;
        }
    }
    if (result && !primaryFound) {
        ACSChunkRef parameters;
        parameters.SetNamedTagString("filename", primary.c_str());
        log.AddEntry(kErrorEntry, nullptr,
                     Kiv::String("Unable to locate primary script source file '$(FILENAME)'"),
                     parameters);
        result = false;
    }
    GSIncludeList::Restore(saved);
    ScriptIncludeText().clear();
    ScriptFile::SetPreamble(Kiv::PString());
    return result;
}
