// The interface text table: the language choice, loading with the ".txt" fallback and the
// English table behind another language, the sub-soups taken from each loaded file, and
// the lookups. Whether the table is loaded is read without the lock first, so a loaded table
// costs two atomic reads; loads run only under the exclusive resource lock. A compiled file
// that opens but does not read as a soup counts as unreadable, so the text form still gets
// its turn.
#include "foundation/text/interface_text.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <string_view>

#include "engine/ascii.h"
#include "foundation/jobs/resource_lock.h"
#include "foundation/console/log_message.h"
#include "foundation/soup/soup_file.h"

namespace {

constexpr const char* kFolder = "data";
constexpr const char* kEnglishFile = "interfacetext.chump";
constexpr int32_t kMostLoggedMisses = 10;

// language code (compared ignoring case) -> the file it chooses; codes not listed leave the
// choice as it was.
struct LanguageFile {
    const char* code;
    const char* file;
};

constexpr LanguageFile kLanguageFiles[] = {
    {"EN", kEnglishFile},
    {"AU", kEnglishFile},
    {"US", kEnglishFile},
    {"UK", kEnglishFile},
    {"DE", "interfaceGerman.chump"},
    {"FR", "interfaceFrench.chump"},
    {"IT", "interfaceItalian.chump"},
    {"RU", "interfaceRussian.chump"},
    {"CZ", "interfaceCzech.chump"},
    {"PL", "interfacePolish.chump"},
    {"ES", "interfaceSpanish.chump"},
    {"CN", "interfaceChinese.chump"},
    {"NL", "interfaceDutch.chump"},
    {"KR", "interfaceKorean.chump"},
    {"HU", "interfaceHungarian.chump"},
};

// The file a code chooses; null when the code leaves the choice as it was.
const char* FileOfLanguage(std::string_view code) {
    if (code.empty()) return kEnglishFile;
    for (const LanguageFile& entry : kLanguageFiles)
        if (Kiv::Ascii::EqualsIgnoreCase(code, entry.code)) return entry.file;
    return nullptr;
}

// The process-wide choice. The name has its own lock: SetLanguage may run while another
// thread logs a miss with the name.
struct ChosenFile {
    std::mutex lock;
    Kiv::PString name{kEnglishFile};
};

ChosenFile& Chosen() {
    static ChosenFile* chosen = new ChosenFile;
    return *chosen;
}

// Invalidate asks for a new load by moving the wanted generation on; a load records the
// generation it started for. A flag would lose an Invalidate that comes while another thread
// is loading (the end of that load would mark the old choice loaded); a generation cannot.
std::atomic<uint64_t> g_wantedGeneration{1};
std::atomic<uint64_t> g_loadedGeneration{0};

bool IsLoaded() {
    return g_loadedGeneration.load(std::memory_order_acquire) ==
           g_wantedGeneration.load(std::memory_order_acquire);
}

std::atomic<int32_t> g_loggedMisses{0};

// Shared or exclusive holding of the resource lock for one scope. An exclusive request of a
// thread that holds the lock shared is refused; nothing is held then.
class ResourceLockHolding {
  public:
    explicit ResourceLockHolding(bool exclusive)
        : granted_(ResourceLock::Instance().AcquireCurrentThread(exclusive)) {}
    ~ResourceLockHolding() {
        if (granted_) ResourceLock::Instance().ReleaseCurrentThread();
    }
    bool Granted() const { return granted_; }
    ResourceLockHolding(const ResourceLockHolding&) = delete;
    ResourceLockHolding& operator=(const ResourceLockHolding&) = delete;

  private:
    bool granted_;
};

// The name with its extension replaced by "txt" (added when it has none).
std::string TextFormName(std::string_view name) {
    const size_t dot = name.rfind('.');
    return std::string(name.substr(0, dot)) + ".txt";
}

bool LoadForm(ACSChunkRef& root, const char* name) {
    const bool loaded = LoadSoupFile(root, kFolder, name, nullptr, true) == SoupFileStatus::Loaded;
    if (!loaded) root.Release();
    return loaded;
}

// The English table that backs another language; its own failures are the English
// choice's to log, so none is logged here.
void LoadEnglishFallback(ACSChunkRef& english, const Kiv::PString& chosen) {
    english.Release();
    if (chosen.View() == kEnglishFile) return;
    if (!LoadForm(english, kEnglishFile)) LoadForm(english, TextFormName(kEnglishFile).c_str());
}

// Counts a miss; true for the first ten. Counting stops near the cap (threads racing past it
// may add one each), so the count never wraps however long the process runs.
bool CountLoggedMiss() {
    if (g_loggedMisses.load(std::memory_order_relaxed) >= kMostLoggedMisses) return false;
    return g_loggedMisses.fetch_add(1, std::memory_order_relaxed) < kMostLoggedMisses;
}

Kiv::PString ReadShared(const ACSChunkRef& soup, const Kiv::PString& key) {
    const ResourceLockHolding shared(false);
    return soup.GetNamedTag(key).ToPString();
}

} // namespace

InterfaceTextDB& InterfaceTextDB::Instance() {
    // Never destroyed: threads still running at exit may look texts up.
    static InterfaceTextDB* instance = new InterfaceTextDB;
    if (IsLoaded()) return *instance;
    const ResourceLockHolding exclusive(true);
    if (exclusive.Granted() && !IsLoaded()) {
        const uint64_t generation = g_wantedGeneration.load(std::memory_order_acquire);
        instance->Load();
        g_loadedGeneration.store(generation, std::memory_order_release);
    }
    return *instance;
}

void InterfaceTextDB::SetLanguage(const char* code) {
    const char* file = FileOfLanguage(code ? code : "");
    if (!file) return;
    ChosenFile& chosen = Chosen();
    const std::lock_guard<std::mutex> guard(chosen.lock);
    chosen.name = Kiv::PString(file);
}

void InterfaceTextDB::Invalidate() {
    g_wantedGeneration.fetch_add(1, std::memory_order_acq_rel);
}

Kiv::PString InterfaceTextDB::FileName() {
    ChosenFile& chosen = Chosen();
    const std::lock_guard<std::mutex> guard(chosen.lock);
    return chosen.name;
}

int32_t InterfaceTextDB::LoggedMisses() {
    return std::min(g_loggedMisses.load(std::memory_order_relaxed), kMostLoggedMisses);
}

void InterfaceTextDB::Load() {
    const Kiv::PString name = FileName();
    root_.Release();
    if (!LoadForm(root_, name.c_str())) {
        LogMessage("InterfaceTextDB> failed to load compiled interfacetext file");
        if (!LoadForm(root_, TextFormName(name.View()).c_str()))
            LogMessage("InterfaceTextDB> Unable to read interface file '%s'", name.c_str());
    }
    LoadEnglishFallback(english_, name);
    pelmoMapText_ = root_.GetNamedSoup(Kiv::PString("pelmo_map_text"));
    pelmoSpecText_ = root_.GetNamedSoup(Kiv::PString("pelmo_spec_text"));
    scenarioText_ = root_.GetNamedSoup(Kiv::PString("scenario_text"));
}

Kiv::PString InterfaceTextDB::GetString(const Kiv::PString& key, bool logMisses) const {
    if (key.IsEmpty()) return key;
    Kiv::PString text = ReadShared(root_, key);
    if (text.IsEmpty() && !english_.IsNull()) text = ReadShared(english_, key);
    if (!text.IsEmpty() || !logMisses) return text;
    if (CountLoggedMiss())
        LogMessage("InterfaceTextDB::GetString> Tag '%s' not found in '%s'", key.c_str(),
                   FileName().c_str());
    return key;
}

Kiv::PString InterfaceTextDB::GetScenarioString(const Kiv::PString& key) const {
    if (key.IsEmpty()) return key;
    return ReadShared(scenarioText_, key);
}

Kiv::String GetInterfaceText(const Kiv::PString& key) {
    return Kiv::String(InterfaceTextDB::Instance().GetString(key, true));
}
