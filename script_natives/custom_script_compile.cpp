// The custom-script compile of scriptable objects.
#include "script_natives/custom_script_compile.h"

#include "engine/file.h"
#include "link/kav/kav_user_data.h"
#include "script_compiler/gs_compile_log.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_include_list.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_machine.h"
#include "validation/specs/kodrin_base_spec.h"

namespace {

constexpr const char* kSourceName = "temp_object.gs";
constexpr const char* kLibraryName = "temp_object.gsl";

// The cache folder in the platform's own form: the compiler writes its output through it.
Kiv::File::Path CacheFolder() {
    Kiv::File::Path folder = KAVUserData::GetCacheFolder();
    folder.Normalize();
    return folder;
}

Kiv::File::Path InCache(const char* name) {
    Kiv::File::Path path = CacheFolder();
    return path.AddPath(name);
}

bool WriteText(const Kiv::File::Path& path, const std::string& text) {
    Kiv::File file;
    if (!file.Open(path.c_str(), Kiv::File::kOpenWrite | Kiv::File::kOpenCreate)) return false;
    return file.Write(text.data(), 1, text.size()) == text.size();
}

} // namespace

GSLibrary* CompileScriptSource(const Kiv::PString& archive, const Kiv::File::Path& folder, GSCompileLog& log) {
    const Kiv::File::Path cache = CacheFolder();
    GSIncludeList::PushFront(GSIncludePath(cache, Kiv::PString()));
    GSIncludeList::PushBack(GSIncludePath(folder, archive));
    GSIncludeList::PushFront(GSIncludePath(KAVUserData::GetLocationFolder(Kiv::PString("scripts")), Kiv::PString()));
    const Kiv::File::Path library = InCache(kLibraryName);
    const int errors = GSCompiler::CompileToPath(&log, kSourceName, library.c_str());
    GSIncludeList::Clear();
    if (errors != 0) return nullptr;
    GSLibraryId id;
    GSMachine& machine = GSMachine::Get();
    GSLibrary* loaded = machine.AddLibrary(Kiv::PString(), cache.c_str(), kLibraryName, &id)
                            ? machine.GetLibrary(id.id1, id.id2)
                            : nullptr;
    Kiv::File::Unlink(library.c_str());
    return loaded;
}

GSClass* CompileCustomScript(const std::string& text, KodrinBaseSpec& spec) {
    if (KAVUserData::GetUserDataFolder().IsEmpty()) return nullptr;
    if (!spec.Scripts().GetScriptLibrary().IsEmpty()) spec.LoadScriptLibrary();
    Kiv::File::Md(CacheFolder().c_str());
    const Kiv::File::Path source = InCache(kSourceName);
    GSClass* found = nullptr;
    if (WriteText(source, text)) {
        GSCompileLog log;
        GSLibrary* library = CompileScriptSource(Kiv::PString(), spec.GetFolderPath(), log);
        found = library ? library->FindClass("CustomObject") : nullptr;
    }
    Kiv::File::Unlink(source.c_str());
    return found;
}
