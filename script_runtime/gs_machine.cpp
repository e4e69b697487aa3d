// The machine: registration of library files, lazy loading with cycles, the native list.
#include "script_runtime/gs_machine.h"

#include <cstring>
#include <string>
#include <vector>

#include "engine/ascii.h"
#include "engine/file.h"
#include "engine/file_find.h"
#include "engine/file_path.h"
#include "foundation/streams/little_endian.h"
#include "script_runtime/gs_builtin_natives.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_log.h"
#include "script_runtime/gs_math_natives.h"
#include "script_runtime/gs_native_function.h"
#include "script_runtime/gs_str_natives.h"
#include "script_runtime/gs_thread.h"

namespace {

constexpr uint32_t kNameBuckets = 251;
constexpr size_t kHeaderBytes = 20;

Kiv::File::Result OpenLibraryFile(Kiv::File& file, const Kiv::PString& archive, const char* path) {
    if (archive.IsEmpty()) return file.Open(path, Kiv::File::kOpenRead);
    return file.Open(archive.c_str(), path, Kiv::File::kOpenRead);
}

// The identity pair of a registered file's first 20 bytes; false for a file that does not
// open, is shorter or has another magic.
bool ReadLibraryId(const Kiv::PString& archive, const char* path, GSLibraryId& id) {
    Kiv::File file;
    if (!OpenLibraryFile(file, archive, path)) return false;
    uint8_t header[kHeaderBytes];
    if (file.Read(header, 1, sizeof header) != sizeof header) return false;
    if (LoadLittleEndian(header + 4, 4) != kGSLibraryMagic) return false;
    id.id1 = static_cast<uint32_t>(LoadLittleEndian(header + 12, 4));
    id.id2 = static_cast<uint32_t>(LoadLittleEndian(header + 16, 4));
    return true;
}

std::string Lowered(const char* text) {
    std::string lowered(text ? text : "");
    for (char& c : lowered) c = Kiv::Ascii::ToLower(c);
    return lowered;
}

}  // namespace

GSMachine& GSMachine::Get() {
    static GSMachine machine;
    if (!machine.initialised_) machine.Init();
    return machine;
}

GSMachine::GSMachine() { frame_.Init(kNameChunkSize); }

GSMachine::~GSMachine() { Shutdown(); }

void GSMachine::Init() {
    linkTable_.Clear();
    nameMap_.Init(kNameBuckets);
    nameTargets_.clear();
    frame_.Release();
    frame_.Init(kNameChunkSize);
    staticThread_ = std::make_unique<GSThread>(nullptr, GSThread::kStaticThread);
    RegisterGSBuiltinNatives(*this);
    Str::RegisterNatives(*this);
    Math::RegisterNatives(*this);
    initialised_ = true;
}

void GSMachine::Shutdown() {
    linkTable_.Clear();
    nameMap_.Release();
    nameTargets_.clear();
    frame_.Release();
    for (Utils::IDoubleLinkListNode* at = libraries_.Begin(); at != libraries_.End();)
        delete static_cast<GSLibrary*>(libraries_.PopNode(at));
    for (Utils::IDoubleLinkListNode* at = natives_.Begin(); at != natives_.End();)
        delete static_cast<GSNativeFunction*>(natives_.PopNode(at));
    staticThread_.reset();
    initialised_ = false;
}

bool GSMachine::InsertLinkEntry(std::unique_ptr<GSLinkEntry> entry) {
    const uint32_t id1 = entry->id1;
    const uint32_t id2 = entry->id2;
    return linkTable_.Insert(id1, id2, std::move(entry));
}

void GSMachine::AddName(const char* path, GSLinkEntry* entry) {
    const std::string key = Lowered(path);
    char* copy = key.size() < kNameChunkSize ? frame_.StrDup(key.c_str()) : nullptr;
    if (!copy) {
        GSLog("GSMachine::AddLibrary> name too long for the name map: %s", path);
        return;
    }
    Utils::StringMap::Iterator found;
    if (nameMap_.Find(copy, found)) return;
    if (nameMap_.Insert(copy, static_cast<int32_t>(nameTargets_.size()))) nameTargets_.push_back(entry);
}

bool GSMachine::AddLibrary(const Kiv::PString& archive, const char* folder, const char* file,
                           GSLibraryId* id) {
    Kiv::File::Path joined(folder ? folder : "");
    joined.AddPath(file ? file : "");
    GSLibraryId read;
    if (!ReadLibraryId(archive, joined.c_str(), read)) return false;
    if (id) *id = read;
    GSLinkEntry* entry = FindLinkEntry(read.id1, read.id2);
    if (!entry) {
        auto made = std::make_unique<GSLinkEntry>();
        made->id1 = read.id1;
        made->id2 = read.id2;
        made->archive = archive;
        made->path = Kiv::String(joined.c_str());
        entry = made.get();
        InsertLinkEntry(std::move(made));
    }
    AddName(joined.c_str(), entry);
    return true;
}

bool GSMachine::AddLibraryFolder(const Kiv::PString& folder) {
    Kiv::File::Path pattern(folder.c_str());
    pattern.AddPath("*.gsl");
    Kiv::File::Find find;
    if (!find.Open(pattern.c_str())) return false;
    while (find.Next()) {
        if (find.IsFolder()) continue;
        GSLibraryId read;
        if (!ReadLibraryId(folder, find.GetName(), read)) continue;
        auto made = std::make_unique<GSLinkEntry>();
        made->id1 = read.id1;
        made->id2 = read.id2;
        made->archive = folder;
        made->path = Kiv::String(find.GetName());
        GSLinkEntry* entry = made.get();
        if (!InsertLinkEntry(std::move(made))) {
            GSLog("Could not add game script library %s to GSMachine", find.GetName());
            continue;
        }
        AddName(find.GetName(), entry);
    }
    return true;
}

GSLibrary* GSMachine::GetLibraryByName(const char* name) {
    const std::string key = Lowered(name);
    Utils::StringMap::Iterator found;
    if (!nameMap_.Find(key.c_str(), found)) return nullptr;
    const int32_t index = found.Current()->value;
    if (index < 0 || static_cast<size_t>(index) >= nameTargets_.size()) return nullptr;
    const GSLinkEntry* entry = nameTargets_[static_cast<size_t>(index)];
    return GetLibrary(entry->id1, entry->id2);
}

void GSMachine::LogMissing(uint32_t id1, uint32_t id2) const {
    GSLog("GSMachine::GetLibrary> library '0x%X 0x%X' not found in link table", id1, id2);
    for (auto* at = libraries_.Begin(); at != libraries_.End(); at = at->Next()) {
        const auto* library = static_cast<const GSLibrary*>(at);
        if (library->Id2() == id2)
            GSLog("  Similar library found with matching filename hash but built from different source: %s",
                  library->GetSourceName().c_str());
    }
}

GSLibrary* GSMachine::GetLibrary(uint32_t id1, uint32_t id2) {
    GSLinkEntry* entry = FindLinkEntry(id1, id2);
    if (!entry) {
        LogMissing(id1, id2);
        return nullptr;
    }
    if (entry->library) return entry->library;
    return LoadEntry(*entry);
}

GSLibrary* GSMachine::LoadEntry(GSLinkEntry& entry) {
    Kiv::File file;
    if (!OpenLibraryFile(file, entry.archive, entry.path.c_str())) return nullptr;
    const int64_t size = file.Size();
    std::vector<uint8_t> image;
    bool read = size >= 0 && size <= int64_t{UINT32_MAX};
    if (read) {
        image.resize(static_cast<size_t>(size));
        read = file.Seek(0, 0) == 0 && file.Read(image.data(), 1, image.size()) == image.size();
    }
    if (!read) {
        GSLog("GSMachine: Error loading library file %s", entry.path.c_str());
        return nullptr;
    }
    file.Close();

    auto* library = new GSLibrary();
    entry.library = library;
    int result = GS_LOAD_DEPENDENCY_ERROR;
    if (loadDepth_ < kMaxLoadDepth) {
        ++loadDepth_;
        result = library->Load(this, image);
        --loadDepth_;
    }
    if (result != GS_LOAD_OK) {
        GSLog("GSMachine: Error %d loading library %s (%s)", result, entry.path.c_str(),
              library->GetSourceName().c_str());
        entry.library = nullptr;
        UnloadDependents(library);
        delete library;
        return nullptr;
    }
    libraries_.PushBack(library);
    return library;
}

void GSMachine::UnloadDependents(GSLibrary* gone) {
    std::vector<GSLibrary*> targets{gone};
    std::vector<GSLibrary*> unloaded;
    while (!targets.empty()) {
        GSLibrary* target = targets.back();
        targets.pop_back();
        for (Utils::IDoubleLinkListNode* at = libraries_.Begin(); at != libraries_.End();) {
            auto* library = static_cast<GSLibrary*>(at);
            if (!library->DependsOn(target)) {
                at = at->Next();
                continue;
            }
            libraries_.PopNode(at);
            if (GSLinkEntry* entry = FindLinkEntry(library->Id1(), library->Id2())) entry->library = nullptr;
            targets.push_back(library);
            unloaded.push_back(library);
        }
    }
    for (GSLibrary* library : unloaded) delete library;
}

void GSMachine::RegisterNative(GSNativeFunction* binding) { natives_.PushFront(binding); }

GSNativeFunction* GSMachine::FindNative(const Kiv::PString& signature,
                                        const Kiv::PString& className) const {
    for (auto* at = natives_.Begin(); at != natives_.End(); at = at->Next()) {
        auto* binding = static_cast<GSNativeFunction*>(at);
        if (binding->Signature() == signature && binding->ClassName() == className) return binding;
    }
    return nullptr;
}
