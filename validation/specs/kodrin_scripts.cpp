// KodrinScripts (kodrin_scripts.h): the asset's build and script names, the include-table
// libraries, the library of the primary script, its class, and the check of the class
// against the asset's category.
#include "validation/specs/kodrin_scripts.h"

#include <algorithm>
#include <atomic>
#include <string>

#include "foundation/console/log_message.h"
#include "foundation/results/results_log.h"
#include "foundation/soup/chunk.h"
#include "foundation/text/category_pattern.h"
#include "link/kav/kav_asset_info.h"
#include "link/kav/kav_client.h"
#include "link/kav/kav_user_data.h"
#include "script_compiler/gs_include_list.h"
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_machine.h"
#include "validation/specs/kodrin_base_spec.h"
#include "validation/specs/kodrin_scripts_include_text.h"
#include "validation/specs/spec_lookup.h"

namespace {

constexpr int32_t kErrorEntry = 3;
constexpr int kIncludeTableBuild = 290;
constexpr int32_t kCategoryDetails = 4;

std::atomic<KodrinScriptsLookup> g_lookup{nullptr};

KodrinBaseSpec* ManagerLookup(const KUID& kuid) {
    return static_cast<KodrinBaseSpec*>(GetKodrinBaseSpec(kuid, false));
}

int Hundredths(float build) {
    const float scaled = build * 100.0f;
    return scaled >= 2147483647.0f ? 2147483647 : static_cast<int>(scaled);
}

} // namespace

std::string& ScriptIncludeText() {
    static std::string text;
    return text;
}

void SetKodrinScriptsLookup(KodrinScriptsLookup lookup) { g_lookup.store(lookup); }

KodrinScripts::KodrinScripts(const ACSChunkRef& config, const KUID& kuid,
                             const Kiv::PString& location, const Kiv::File::Path& folder,
                             DisplayName displayName)
    : config_(config), kuid_(kuid), location_(location), folder_(folder),
      displayName_(std::move(displayName)) {
    if (config_.Get() && config_->GetType() == ACSTagType::Container) {
        kind_ = config_.GetNamedTag("kind").ToPString();
        build_ = KodrinBaseSpec::ReadBuildVersion(config_);
    }
}

KodrinScripts::KodrinScripts(const ACSChunkRef& config, const KUID& kuid,
                             const Kiv::PString& location, const Kiv::File::Path& folder,
                             const Kiv::PString& displayName)
    : KodrinScripts(config, kuid, location, folder, [displayName] { return displayName; }) {}

void KodrinScripts::AppendScriptInclude(const char* line) {
    ScriptIncludeText() += line;
    ScriptIncludeText() += "\r\n";
}

Kiv::File::Path KodrinScripts::GetCacheFolder() {
    if (KAVUserData::GetUserDataFolder().IsEmpty()) return Kiv::File::Path("libraries");
    Kiv::File::Path folder = KAVUserData::GetCacheFolder();
    folder.AddPath("libraries");
    folder.Normalize(); // the compiler writes its output through the platform's own names
    return folder;
}

void KodrinScripts::ReadScriptLibraries(std::vector<KUID>& kuids) const {
    if (Hundredths(build_) < kIncludeTableBuild) return;
    const ACSChunkRef table = config_.GetNamedSoup("script-include-table");
    for (int32_t i = 0; i < table.CountTags(); ++i) {
        const KUID kuid = table.GetNamedTagAsKUID(table.GetIndexedTagName(i), KUID::Null());
        if (!kuid.IsNull()) kuids.push_back(kuid);
    }
}

void KodrinScripts::ResolveScriptPath() {
    flags_ &= ~kScriptPathResolved;
    Kiv::File::Path path;
    Kiv::String className;
    if (!KAVClient::GetAssetScriptInfo(kuid_, path, className)) return;
    if (!path.IsEmpty()) path.SetExt("gsl");
    SetScript(Kiv::PString(path.View()), className.ToPString());
}

void KodrinScripts::SetScript(const Kiv::PString& path, const Kiv::PString& className) {
    std::string_view text = path.View();
    flags_ &= ~(kSharedScript | kClassLookedUp);
    if (!text.empty() && text.front() == '/') {
        text.remove_prefix(1);
        flags_ |= kSharedScript;
    }
    scriptLibrary_ = Kiv::PString(text);
    className_ = className;
    flags_ |= kScriptPathResolved;
}

bool KodrinScripts::LoadScriptLibraries() {
    if (Hundredths(build_) < kIncludeTableBuild) {
        if (kind_ == Kiv::PString("activity") || kind_ == Kiv::PString("behavior"))
            AppendScriptInclude("include \"ScenarioStringTable.gs\"");
        return true;
    }
    bool result = true;
    std::vector<KUID> todo;
    std::vector<KUID> done;
    ReadScriptLibraries(todo);
    while (!todo.empty()) {
        const KUID kuid = todo.front();
        todo.erase(todo.begin());
        if (std::find(done.begin(), done.end(), kuid) != done.end()) continue;
        done.push_back(kuid);
        const KodrinScriptsLookup lookup = g_lookup.load();
        KodrinBaseSpec* spec = lookup ? lookup(kuid) : ManagerLookup(kuid);
        if (!spec) {
            result = false;
            continue;
        }
        KodrinScripts& scripts = spec->Scripts();
        scripts.ResolveScriptPath();
        if (!scripts.LoadScriptLibrary()) {
            Kiv::File::Path folder = KAVUserData::GetLocationFolder(scripts.location_);
            folder.AddPath(scripts.folder_.c_str());
            GSIncludeList::PushBack(GSIncludePath(folder, Kiv::PString()));
        }
        scripts.ReadScriptLibraries(todo);
        spec->ReleaseUse();
    }
    return result;
}

Kiv::File::Path KodrinScripts::PrimarySource() const {
    Kiv::File::Path primary = folder_;
    primary.AddPath(scriptLibrary_.c_str());
    primary.SetExt("gs");
    return primary;
}

GSLibrary* KodrinScripts::LoadScriptLibrary() {
    if (IsSharedScript()) return GSMachine::Get().GetLibraryByName(scriptLibrary_.c_str());
    if (id1_ == 0 && id2_ == 0) {
        ResultsLog discarded;
        CacheScripts(location_, folder_, PrimarySource(), discarded);
    }
    if (id1_ == 0 && id2_ == 0) return nullptr;
    return GSMachine::Get().GetLibrary(id1_, id2_);
}

GSClass* KodrinScripts::GetGSClass() {
    if (flags_ & kClassLookedUp) return scriptClass_;
    ResolveScriptPath();
    scriptClass_ = nullptr;
    if (!scriptLibrary_.IsEmpty()) {
        GSLibrary* library = LoadScriptLibrary();
        if (library) scriptClass_ = library->FindClass(className_.View());
        if (library && !scriptClass_)
            LogMessage("KodrinScripts::GetGSClass> Could not load Kodrin class %s from library "
                       "%s for %s",
                       className_.c_str(), scriptLibrary_.c_str(), displayName_().c_str());
        if (!library)
            LogMessage("KodrinScripts::GetGSClass> Could not load Kodrin library %s for '%s'",
                       scriptLibrary_.c_str(), displayName_().c_str());
    }
    flags_ |= kClassLookedUp;
    return scriptClass_;
}

bool CheckScriptClassCategory(const GSClass& scriptClass, const char* category, ResultsLog& log) {
    const bool vehicle = MatchCategoryPattern("TR;TV", category);
    const bool signal = MatchCategoryPattern("?WA", category);
    const bool trackside = vehicle || signal || MatchCategoryPattern("TO", category);
    const struct {
        const char* base;
        bool wanted;
        const char* error;
    } checks[] = {
        {"Vehicle", vehicle, "Script class does not match asset kind (vehicle)."},
        {"Trackside", trackside, "Script class does not match asset kind (trackside)."},
        {"Signal", signal, "Script class does not match asset kind (signal)."},
    };
    for (const auto& check : checks) {
        if (scriptClass.IsA(check.base) == check.wanted) continue;
        log.AddEntry(kErrorEntry, nullptr, Kiv::String(check.error));
        return false;
    }
    return true;
}

bool KodrinScripts::LinkScriptClass(ResultsLog& log) {
    flags_ &= ~(kClassLookedUp | kSourcesCached);
    ResolveScriptPath();
    if (scriptLibrary_.IsEmpty() || IsSharedScript()) return true;
    if (!CacheScripts(location_, folder_, PrimarySource(), log)) return false;
    GSClass* scriptClass = GetGSClass();
    if (!scriptClass) {
        log.AddEntry(kErrorEntry, nullptr, Kiv::String("Unable to link compiled script class."));
        return false;
    }
    KAVAssetInfo info;
    KAVClient::GetAssetInfo(kuid_, info, kCategoryDetails);
    return CheckScriptClassCategory(*scriptClass, info.categoryText.c_str(), log);
}
