// Loading a library image: the header and sections 2 to 6, then resolution against the
// machine's other libraries and linking. Each section is left at its start plus its size
// word, so trailing words a section carries are skipped; a section whose contents run past
// that end, or past the image, is a format error.
#include "script_runtime/gs_library.h"

#include <algorithm>
#include <cstring>

#include "script_runtime/gs_class.h"
#include "script_runtime/gs_image_reader.h"
#include "script_runtime/gs_log.h"
#include "script_runtime/gs_machine.h"

GSLibrary::GSLibrary() = default;

GSLibrary::~GSLibrary() {
    while (!classes_.empty()) classes_.pop_back();
}

const char* GSLibrary::GetString(uint32_t index) const {
    return index < strings_.size() ? strings_[index] : nullptr;
}

const GSClassRef* GSLibrary::GetClassRef(uint32_t index) const {
    return index < classRefs_.size() ? &classRefs_[index] : nullptr;
}

GSClass* GSLibrary::FindClass(std::string_view name) const {
    for (size_t i = classes_.size(); i-- > 0;)
        if (classes_[i]->Name() && name == classes_[i]->Name()) return classes_[i].get();
    return nullptr;
}

int GSLibrary::StaticIndex(const GSClass* gsClass) const {
    int index = 0;
    for (const auto& candidate : classes_) {
        if (candidate.get() == gsClass) return candidate->IsStatic() ? index : -1;
        if (candidate->IsStatic()) ++index;
    }
    return -1;
}

int GSLibrary::StaticClassCount() const {
    return static_cast<int>(std::count_if(classes_.begin(), classes_.end(),
                                          [](const auto& c) { return c->IsStatic(); }));
}

bool GSLibrary::DependsOn(const GSLibrary* other) const {
    return std::any_of(dependencies_.begin(), dependencies_.end(),
                       [other](const GSDependency& d) { return d.library == other; });
}

int GSLibrary::Load(GSMachine* machine, std::span<const uint8_t> image) {
    machine_ = machine;
    if (image.size() > UINT32_MAX || !image_.Init(1024)) return GS_LOAD_FORMAT_ERROR;
    image_.Reserve(static_cast<uint32_t>(image.size()));
    if (image_.Flags() != 0) return GS_LOAD_FORMAT_ERROR;
    if (!image.empty()) std::memcpy(image_.Data(), image.data(), image.size());
    image_.Seek(0);

    GSImageReader reader(image_);
    for (int (GSLibrary::*step)(GSImageReader&) :
         {&GSLibrary::LoadHeader, &GSLibrary::LoadDependencies, &GSLibrary::LoadStrings,
          &GSLibrary::LoadClassRefs, &GSLibrary::LoadFunctionRefs, &GSLibrary::LoadClasses}) {
        const int result = (this->*step)(reader);
        if (result != GS_LOAD_OK) return result;
    }
    for (int (GSLibrary::*step)() : {&GSLibrary::ResolveDependencies, &GSLibrary::ResolveClassRefs,
                                     &GSLibrary::ResolveFunctionRefs, &GSLibrary::LinkClasses,
                                     &GSLibrary::VerifyKinds}) {
        const int result = (this->*step)();
        if (result != GS_LOAD_OK) return result;
    }
    return GS_LOAD_OK;
}

int GSLibrary::LoadHeader(GSImageReader& reader) {
    reader.Word();  // the length
    const uint32_t magic = reader.Word();
    const uint32_t version = reader.Word();
    id1_ = reader.Word();
    id2_ = reader.Word();
    if (reader.Failed() || magic != kGSLibraryMagic) return GS_LOAD_FORMAT_ERROR;
    std::memcpy(&version_, &version, sizeof version_);
    const uint32_t nameLength = reader.Word();
    if (!reader.Fits(nameLength, 1, reader.Length())) return GS_LOAD_FORMAT_ERROR;
    const auto* name = reinterpret_cast<const char*>(reader.At(reader.Position()));
    sourceName_ = Kiv::String(name, strnlen(name, nameLength));
    return reader.Skip(nameLength) ? GS_LOAD_OK : GS_LOAD_FORMAT_ERROR;
}

int GSLibrary::LoadDependencies(GSImageReader& reader) {
    GSImageReader::Chunk section;
    if (!reader.OpenChunk(2, section, reader.Length())) return GS_LOAD_FORMAT_ERROR;
    const uint32_t count = reader.Word();
    if (!reader.Fits(count, 8, section.end)) return GS_LOAD_FORMAT_ERROR;
    dependencies_.resize(count);
    for (GSDependency& dependency : dependencies_) {
        dependency.library = nullptr;
        dependency.id1 = reader.Word();
        dependency.id2 = reader.Word();
    }
    return reader.CloseChunk(section) ? GS_LOAD_OK : GS_LOAD_FORMAT_ERROR;
}

int GSLibrary::LoadStrings(GSImageReader& reader) {
    GSImageReader::Chunk section;
    if (!reader.OpenChunk(3, section, reader.Length())) return GS_LOAD_FORMAT_ERROR;
    const uint32_t count = reader.Word();
    if (!reader.Fits(count, 4, section.end)) return GS_LOAD_FORMAT_ERROR;
    const uint32_t textStart = reader.Position() + count * 4;
    strings_.resize(count);
    stringCopies_.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t offset = reader.Word();
        // The string and its terminating zero lie inside the section.
        if (offset >= section.end - textStart) return GS_LOAD_FORMAT_ERROR;
        const auto* text = reinterpret_cast<const char*>(reader.At(textStart + offset));
        const size_t room = section.end - textStart - offset;
        const size_t length = strnlen(text, room);
        if (length == room) return GS_LOAD_FORMAT_ERROR;
        strings_[i] = text;
        stringCopies_[i] = Kiv::String(text, length);
    }
    return reader.CloseChunk(section) ? GS_LOAD_OK : GS_LOAD_FORMAT_ERROR;
}

int GSLibrary::LoadClassRefs(GSImageReader& reader) {
    GSImageReader::Chunk section;
    if (!reader.OpenChunk(4, section, reader.Length())) return GS_LOAD_FORMAT_ERROR;
    const uint32_t count = reader.Word();
    if (!reader.Fits(count, 8, section.end)) return GS_LOAD_FORMAT_ERROR;
    classRefs_.resize(count);
    for (GSClassRef& ref : classRefs_) {
        ref = GSClassRef{};
        ref.dependency = reader.Word();
        ref.nameIndex = reader.Word();
        if (ref.dependency >= dependencies_.size() || ref.nameIndex >= strings_.size())
            return GS_LOAD_FORMAT_ERROR;
    }
    return reader.CloseChunk(section) ? GS_LOAD_OK : GS_LOAD_FORMAT_ERROR;
}

int GSLibrary::LoadFunctionRefs(GSImageReader& reader) {
    GSImageReader::Chunk section;
    if (!reader.OpenChunk(5, section, reader.Length())) return GS_LOAD_FORMAT_ERROR;
    const uint32_t count = reader.Word();
    if (!reader.Fits(count, 12, section.end)) return GS_LOAD_FORMAT_ERROR;
    functionRefs_.resize(count);
    for (GSFunctionRef& ref : functionRefs_) {
        ref = GSFunctionRef{};
        ref.classRef = reader.Word();
        ref.nameIndex = reader.Word();
        ref.slot = reader.SignedWord();
        if (ref.classRef >= classRefs_.size() || ref.nameIndex >= strings_.size())
            return GS_LOAD_FORMAT_ERROR;
    }
    return reader.CloseChunk(section) ? GS_LOAD_OK : GS_LOAD_FORMAT_ERROR;
}

int GSLibrary::LoadClasses(GSImageReader& reader) {
    GSImageReader::Chunk section;
    if (!reader.OpenChunk(6, section, reader.Length())) return GS_LOAD_FORMAT_ERROR;
    const uint32_t count = reader.Word();
    // A class chunk holds at least its size, tag and eight more words.
    if (!reader.Fits(count, 40, section.end)) return GS_LOAD_FORMAT_ERROR;
    classes_.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        classes_.push_back(std::make_unique<GSClass>());
        GSClass& gsClass = *classes_.back();
        if (gsClass.Load(machine_, i, reader, this, section.end) != 0) {
            GSLog("GS Link error: Unable to initialise class '%s'", gsClass.Name() ? gsClass.Name() : "(null)");
            return GS_LOAD_FORMAT_ERROR;
        }
    }
    return reader.CloseChunk(section) ? GS_LOAD_OK : GS_LOAD_FORMAT_ERROR;
}

int GSLibrary::ResolveDependencies() {
    for (GSDependency& dependency : dependencies_) {
        dependency.library = machine_ ? machine_->GetLibrary(dependency.id1, dependency.id2) : nullptr;
        if (!dependency.library) return GS_LOAD_DEPENDENCY_ERROR;
    }
    return GS_LOAD_OK;
}

int GSLibrary::ResolveClassRefs() {
    int result = GS_LOAD_OK;
    for (GSClassRef& ref : classRefs_) {
        ref.name = strings_[ref.nameIndex];
        ref.library = dependencies_[ref.dependency].library;
        ref.gsClass = ref.library->FindClass(ref.name);
        if (!ref.gsClass) {
            GSLog("GS Link error: Unable to find class '%s'", ref.name);
            result = GS_LOAD_LINK_ERROR;
        }
    }
    return result;
}

// Like the class references, every missing function is named before the load fails.
int GSLibrary::ResolveFunctionRefs() {
    int result = GS_LOAD_OK;
    for (GSFunctionRef& ref : functionRefs_) {
        ref.gsClass = classRefs_[ref.classRef].gsClass;
        ref.name = strings_[ref.nameIndex];
        const int index = ref.gsClass->FindFunctionIndex(ref.name);
        if (index < 0) {
            GSLog("GS Link error: Unable to link function '%s'", ref.name);
            result = GS_LOAD_LINK_ERROR;
            continue;
        }
        ref.function = &ref.gsClass->Functions()[static_cast<size_t>(index)];
    }
    return result;
}

int GSLibrary::LinkClasses() {
    for (const auto& gsClass : classes_) {
        if (!gsClass->Link()) {
            GSLog("GS Link error: Unable to link '%s'", gsClass->Name());
            return GS_LOAD_LINK_ERROR;
        }
    }
    return GS_LOAD_OK;
}

// The typed pass needs the linked classes (the slot kinds of the receiver's ancestors).
int GSLibrary::VerifyKinds() {
    for (const auto& gsClass : classes_) {
        if (const GSFunction* refused = gsClass->VerifyKinds()) {
            GSLog("GS Link error: Unable to verify function '%s'", refused->name);
            return GS_LOAD_FORMAT_ERROR;
        }
    }
    return GS_LOAD_OK;
}
