// Loading a class chunk with every bound checked, the lookups by name, and linking.
#include "script_runtime/gs_class.h"

#include <algorithm>
#include <cstring>

#include "foundation/streams/little_endian.h"
#include "script_runtime/gs_code_verifier.h"
#include "script_runtime/gs_fused_code.h"
#include "script_runtime/gs_log.h"
#include "script_runtime/gs_image_reader.h"
#include "script_runtime/gs_kind_verifier.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_machine.h"
#include "script_runtime/gs_native_function.h"

namespace {

constexpr uint32_t kLineMarker = 0x6462676C;  // "lgbd"
constexpr int32_t kHeaderSlots = 2;
constexpr int32_t kSpareSlots = 3;
// A view addresses its members with a u16, so no instance needs more slots than this.
constexpr int32_t kMaxInstanceSlots = 0x10000 + kSpareSlots;
// Frame slots are addressed with a u16 as well.
constexpr int64_t kMaxFrameSlots = 0x10000;

bool ValidClassRef(int32_t index, const GSLibrary& library, bool noneAllowed) {
    if (index == -1) return noneAllowed;
    return index >= 0 && static_cast<size_t>(index) < library.ClassRefs().size();
}

GSSlotKind KindOfTypeName(std::string_view type) {
    if (type == "void") return GS_KIND_NOTHING;
    return type == "int" || type == "float" || type == "bool" ? GS_KIND_VALUE : GS_KIND_REFERENCE;
}

// A native reads its arguments and pushes its result as its signature text says
// ("$int@Class::Name(string,float)"), so the record's kinds must say the same: a record
// that declares a value where the native reads a reference would hand it an int as a
// pointer.
bool RecordMatchesSignature(const GSFunction& function) {
    const std::string_view name(function.name);
    const size_t at = name.find('@');
    const size_t open = name.find('(');
    if (name.empty() || name[0] != '$' || at == std::string_view::npos || open == std::string_view::npos ||
        name.back() != ')')
        return false;
    if (KindOfTypeName(name.substr(1, at - 1)) != GSResultKindOf(function.returnType)) return false;
    std::string_view list = name.substr(open + 1, name.size() - open - 2);
    size_t parameter = 1;
    while (!list.empty()) {
        const size_t comma = list.find(',');
        const GSSlotKind kind = KindOfTypeName(list.substr(0, comma));
        if (parameter >= function.parameterKinds.size() || kind != function.parameterKinds[parameter])
            return false;
        ++parameter;
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
    return parameter == function.parameterKinds.size();
}

// The part of a mangled name from its first "::" on: name and parameter types.
std::string_view KeyOf(std::string_view mangledName) {
    const size_t at = mangledName.find("::");
    return at == std::string_view::npos ? std::string_view() : mangledName.substr(at);
}

}  // namespace

int32_t GSFunction::LineOf(int32_t codeOffset) const {
    if (lineCount == 0 || !lines) return -1;
    int32_t line = static_cast<int32_t>(LoadLittleEndian(lines + 4, 4));
    for (uint32_t i = 0; i < lineCount; ++i) {
        const auto offset = static_cast<int32_t>(LoadLittleEndian(lines + 8 * i, 4));
        if (offset > codeOffset) break;
        line = static_cast<int32_t>(LoadLittleEndian(lines + 8 * i + 4, 4));
    }
    return line;
}

const GSCallShape* GSFunction::CallShapeAt(uint32_t offset) const {
    const auto at = std::lower_bound(callShapes.begin(), callShapes.end(), offset,
                                     [](const GSCallShape& shape, uint32_t o) { return shape.offset < o; });
    return at != callShapes.end() && at->offset == offset ? &*at : nullptr;
}

int GSClass::Load(GSMachine* machine, uint32_t index, GSImageReader& reader, GSLibrary* library,
                  uint32_t limit) {
    machine_ = machine;
    library_ = library;
    index_ = index;
    GSImageReader::Chunk chunk;
    if (!reader.OpenChunk(7, chunk, limit)) return -1;
    const uint32_t nameIndex = reader.Word();
    if (reader.Failed() || nameIndex >= library->StringCount()) return -1;
    name_ = library->GetString(nameIndex);
    flags_ = reader.Word();
    const bool loaded = LoadAncestors(reader, chunk.end) && LoadFunctions(reader, chunk.end) &&
                        LoadMembers(reader, chunk.end) && LoadMethodTable(reader, chunk.end) &&
                        LoadLayout(reader, chunk.end) && CheckSlots() && VerifyCode() &&
                        reader.CloseChunk(chunk);
    return loaded ? 0 : -1;
}

bool GSClass::LoadAncestors(GSImageReader& reader, uint32_t end) {
    const uint32_t count = reader.Word();
    if (!reader.Fits(count, 12, end)) return false;
    ancestors_.resize(count);
    for (GSAncestor& ancestor : ancestors_) {
        ancestor.classRef = reader.Word();
        ancestor.offset = reader.SignedWord();
        ancestor.direct = reader.Word() != 0;
        if (ancestor.classRef >= library_->ClassRefs().size()) return reader.Fail();
    }
    return !reader.Failed();
}

bool GSClass::LoadFunctions(GSImageReader& reader, uint32_t end) {
    GSImageReader::Chunk list;
    if (!reader.OpenChunk(8, list, end)) return false;
    const uint32_t count = reader.Word();
    // A function chunk holds at least its size, tag and twelve more words.
    if (!reader.Fits(count, 56, list.end)) return false;
    functions_.resize(count);
    for (GSFunction& function : functions_)
        if (!LoadFunction(reader, list.end, function)) return false;
    return reader.CloseChunk(list);
}

bool GSClass::LoadFunction(GSImageReader& reader, uint32_t end, GSFunction& function) {
    GSImageReader::Chunk chunk;
    if (!reader.OpenChunk(9, chunk, end)) return false;
    const uint32_t nameIndex = reader.Word();
    function.gsClass = this;
    function.library = library_;
    function.returnType = reader.Word();
    function.returnClassRef = reader.SignedWord();
    function.flags = reader.Word();
    function.slot = reader.SignedWord();
    function.frameAdvance = reader.SignedWord();
    function.argumentBase = reader.SignedWord();
    function.frameRecord = reader.SignedWord();
    function.stackNeed = reader.SignedWord();
    function.argumentSlots = reader.SignedWord();
    const int64_t locals = reader.SignedWord();
    const int64_t temporaries = reader.SignedWord();
    if (reader.Failed() || nameIndex >= library_->StringCount()) return reader.Fail();
    function.name = library_->GetString(nameIndex);
    // The frame words are those the compiler derives from P, A and B; anything else would
    // let the interpreter lay out a frame the code does not expect.
    const int64_t p = function.argumentSlots;
    const bool frameSound = p >= 1 && locals >= 0 && temporaries >= 0 &&
                            p + locals + temporaries <= kMaxFrameSlots &&
                            function.frameAdvance == locals + temporaries + 4 &&
                            function.argumentBase == 1 - p &&
                            function.frameRecord == locals + temporaries + 1 &&
                            function.stackNeed >= function.frameAdvance &&
                            ValidClassRef(function.returnClassRef, *library_, true);
    if (!frameSound) return reader.Fail();

    const uint32_t objectSlots = reader.Word();
    if (!reader.Fits(objectSlots, 4, chunk.end)) return false;
    function.objectSlots.resize(objectSlots);
    for (uint32_t& slot : function.objectSlots) {
        slot = reader.Word();
        if (slot == 0 || slot >= static_cast<uint32_t>(function.FrameSlotCount())) return reader.Fail();
    }
    function.parameterKinds.assign(static_cast<size_t>(p), GS_KIND_VALUE);
    function.parameterKinds[0] = GS_KIND_REFERENCE;
    for (uint32_t slot : function.objectSlots)
        if (slot < p) function.parameterKinds[slot] = GS_KIND_REFERENCE;

    const uint32_t codeLength = reader.Word();
    if (!reader.Fits(codeLength, 1, chunk.end)) return false;
    if (codeLength > 0) function.code = std::span<const uint8_t>(reader.At(reader.Position()), codeLength);
    const uint64_t padded = (uint64_t{reader.Position()} + codeLength + 3) & ~uint64_t{3};
    if (padded > chunk.end || !reader.SeekTo(padded)) return reader.Fail();

    if (uint64_t{reader.Position()} + 8 <= chunk.end && LoadLittleEndian(reader.At(reader.Position()), 4) == kLineMarker) {
        reader.Word();
        const uint32_t lineCount = reader.Word();
        if (!reader.Fits(lineCount, 8, chunk.end)) return false;
        function.lineCount = lineCount;
        function.lines = lineCount > 0 ? reader.At(reader.Position()) : nullptr;
        reader.Skip(uint64_t{lineCount} * 8);
    }
    return reader.CloseChunk(chunk);
}

bool GSClass::LoadMembers(GSImageReader& reader, uint32_t end) {
    GSImageReader::Chunk chunk;
    if (!reader.OpenChunk(10, chunk, end)) return false;
    const uint32_t count = reader.Word();
    if (!reader.Fits(count, 20, chunk.end)) return false;
    members_.resize(count);
    for (GSMember& member : members_) {
        const uint32_t nameIndex = reader.Word();
        member.type = reader.Word();
        member.classRef = reader.SignedWord();
        member.flags = reader.Word();
        member.slot = reader.SignedWord();
        if (nameIndex >= library_->StringCount() || !ValidClassRef(member.classRef, *library_, true))
            return reader.Fail();
        member.name = library_->GetString(nameIndex);
    }
    return reader.CloseChunk(chunk);
}

bool GSClass::LoadMethodTable(GSImageReader& reader, uint32_t end) {
    GSImageReader::Chunk chunk;
    if (!reader.OpenChunk(11, chunk, end)) return false;
    const uint32_t count = reader.Word();
    if (!reader.Fits(count, 8, chunk.end)) return false;
    methodTable_.resize(count);
    for (GSMethodEntry& entry : methodTable_) {
        entry.functionRef = nullptr;
        entry.functionRefIndex = reader.Word();
        entry.offset = reader.SignedWord();
        if (entry.functionRefIndex >= library_->FunctionRefs().size()) return reader.Fail();
        bool knownOffset = entry.offset == 0;
        for (const GSAncestor& ancestor : ancestors_) knownOffset = knownOffset || ancestor.offset == entry.offset;
        if (!knownOffset) return reader.Fail();
    }
    return reader.CloseChunk(chunk);
}

bool GSClass::LoadLayout(GSImageReader& reader, uint32_t end) {
    GSImageReader::Chunk chunk;
    if (!reader.OpenChunk(12, chunk, end)) return false;
    instanceSlotCount_ = reader.SignedWord();
    const uint32_t tripleCount = reader.Word();
    if (instanceSlotCount_ < kHeaderSlots + kSpareSlots || instanceSlotCount_ > kMaxInstanceSlots)
        return reader.Fail();
    if (!reader.Fits(tripleCount, 12, chunk.end)) return false;
    layout_.resize(tripleCount);
    const auto methods = static_cast<int64_t>(methodTable_.size());
    for (GSLayoutTriple& triple : layout_) {
        triple.kind = reader.Word();
        triple.slot = reader.SignedWord();
        triple.value = reader.SignedWord();
        const bool inside = triple.slot >= 0 && triple.slot < instanceSlotCount_;
        // Kind 0 writes a view's distance back to the whole object, kind 1 a view's place
        // in the method table; no other value may reach the header slots.
        const bool sound = (triple.kind == 0 && triple.value == -int64_t{triple.slot}) ||
                           (triple.kind == 1 && triple.slot >= 1 && triple.value >= 0 && triple.value <= methods);
        if (!inside || !sound) return reader.Fail();
    }
    const uint32_t objectSlots = reader.Word();
    if (!reader.Fits(objectSlots, 4, chunk.end)) return false;
    objectSlots_.resize(objectSlots);
    for (uint32_t& slot : objectSlots_) {
        slot = reader.Word();
        if (slot < kHeaderSlots || slot >= static_cast<uint32_t>(instanceSlotCount_ - kSpareSlots))
            return reader.Fail();
    }
    return reader.CloseChunk(chunk);
}

// The layout must set up exactly the views the ancestor entries name: for each ancestor its
// distance word and its method-table word, then the whole object's method-table word. A
// view without both words would send the reference arithmetic outside the instance.
bool GSClass::CheckSlots() const {
    const int32_t memberEnd = instanceSlotCount_ - kSpareSlots;
    if (layout_.size() != 2 * ancestors_.size() + 1) return false;
    for (size_t i = 0; i < ancestors_.size(); ++i) {
        const int32_t offset = ancestors_[i].offset;
        if (offset < kHeaderSlots || offset > memberEnd - kHeaderSlots) return false;
        const GSLayoutTriple& distance = layout_[2 * i];
        const GSLayoutTriple& methods = layout_[2 * i + 1];
        if (distance.kind != 0 || distance.slot != offset) return false;
        if (methods.kind != 1 || methods.slot != offset + 1) return false;
    }
    const GSLayoutTriple& own = layout_.back();
    if (own.kind != 1 || own.slot != 1 || own.value != 0) return false;
    for (const GSMember& member : members_)
        if (member.slot < kHeaderSlots || member.slot >= memberEnd) return false;
    return true;
}

bool GSClass::VerifyCode() const {
    std::vector<int32_t> viewOffsets;
    for (const GSAncestor& ancestor : ancestors_) viewOffsets.push_back(ancestor.offset);
    for (const GSFunction& function : functions_) {
        const GSCodeLimits limits{static_cast<uint32_t>(function.FrameSlotCount()), library_->StringCount(),
                                  static_cast<uint32_t>(library_->ClassRefs().size()),
                                  static_cast<uint32_t>(instanceSlotCount_ - kSpareSlots), viewOffsets};
        if (!VerifyGSCode(function.code, limits)) return false;
    }
    return true;
}

GSClass* GSClass::AncestorClass(size_t i) const {
    const GSClassRef* ref = library_->GetClassRef(ancestors_[i].classRef);
    return ref ? ref->gsClass : nullptr;
}

const GSFunction* GSClass::Initialiser() const { return functions_.empty() ? nullptr : &functions_.back(); }

int GSClass::FindFunctionIndex(std::string_view mangledName) const {
    for (size_t i = 0; i < functions_.size(); ++i)
        if (functions_[i].name && mangledName == functions_[i].name) return static_cast<int>(i);
    return -1;
}

bool GSClass::FindFunction(std::string_view mangledName, FoundFunction& found) const {
    int index = FindFunctionIndex(mangledName);
    if (index >= 0) {
        found = {this, 0, functions_[static_cast<size_t>(index)].slot, index};
        return true;
    }
    for (size_t i = 0; i < ancestors_.size(); ++i) {
        const GSClass* ancestor = AncestorClass(i);
        if (!ancestor || (index = ancestor->FindFunctionIndex(mangledName)) < 0) continue;
        found = {ancestor, ancestors_[i].offset, ancestor->functions_[static_cast<size_t>(index)].slot, index};
        return true;
    }
    return false;
}

bool GSClass::FindInherited(std::string_view mangledName, const GSFunction*& function,
                            int32_t& ancestorOffset) const {
    const std::string_view key = KeyOf(mangledName);
    if (key.empty()) return false;
    for (size_t i = 0; i < ancestors_.size(); ++i) {
        const GSClass* ancestor = AncestorClass(i);
        if (!ancestor) continue;
        for (const GSFunction& candidate : ancestor->functions_) {
            if (!candidate.name || KeyOf(candidate.name) != key) continue;
            function = &candidate;
            ancestorOffset = ancestors_[i].offset;
            return true;
        }
    }
    return false;
}

int GSClass::AncestorIndex(const GSClass* other) const {
    for (size_t i = ancestors_.size(); i-- > 0;)
        if (AncestorClass(i) == other) return static_cast<int>(i);
    return -1;
}

bool GSClass::IsA(std::string_view name) const {
    if (name_ && name == name_) return true;
    for (size_t i = ancestors_.size(); i-- > 0;) {
        const GSClass* ancestor = AncestorClass(i);
        if (ancestor && ancestor->name_ && name == ancestor->name_) return true;
    }
    return false;
}

bool GSClass::Link() {
    if (!machine_ || !LayoutFitsAncestors() || !AncestorsNestConsistently() || !BuildSlotKinds()) return false;
    for (GSFunction& function : functions_) LinkFunction(function);
    for (GSMethodEntry& entry : methodTable_) {
        entry.functionRef = &library_->FunctionRefs()[entry.functionRefIndex];
        if (!IsClassAtOffset(entry.functionRef->gsClass, entry.offset)) return false;
    }
    return true;
}

void GSClass::LinkFunction(GSFunction& function) {
    function.native = nullptr;
    function.inherited = nullptr;
    function.inheritedOffset = 0;
    if (function.flags & GS_FUNCTION_NATIVE) {
        const Kiv::PString className(name_);
        const Kiv::PString signature(function.name);
        function.native = RecordMatchesSignature(function) ? machine_->FindNative(signature, className) : nullptr;
        if (!function.native) GSLog("Could not resolve native link %s", function.name);
        return;
    }
    const GSFunction* inherited = nullptr;
    int32_t offset = 0;
    if (FindInherited(function.name, inherited, offset)) {
        function.inherited = inherited;
        function.inheritedOffset = offset;
    }
}

// Each ancestor's whole object fits inside this class's member slots at its offset, so
// every view, member and object slot the ancestor's code reaches lies inside the instance;
// and the ancestor's part of the method table fits inside this class's table, so every
// entry a call through the ancestor's view can name exists.
bool GSClass::LayoutFitsAncestors() const {
    const int32_t memberEnd = instanceSlotCount_ - kSpareSlots;
    for (size_t i = 0; i < ancestors_.size(); ++i) {
        const GSClass* ancestor = AncestorClass(i);
        if (!ancestor) return false;
        const int64_t ancestorEnd = int64_t{ancestors_[i].offset} + ancestor->instanceSlotCount_ - kSpareSlots;
        if (ancestorEnd > memberEnd) return false;
        const int64_t tableEnd = int64_t{layout_[2 * i + 1].value} + static_cast<int64_t>(ancestor->methodTable_.size());
        if (tableEnd > static_cast<int64_t>(methodTable_.size())) return false;
    }
    return true;
}

bool GSClass::IsClassAtOffset(const GSClass* gsClass, int32_t offset) const {
    if (offset == 0) return gsClass == this;
    for (size_t i = 0; i < ancestors_.size(); ++i)
        if (ancestors_[i].offset == offset && AncestorClass(i) == gsClass) return true;
    return false;
}

// The kind of every member slot of the instance: the views' header words, then the
// ancestors' and the class's own object-typed members. An object slot on a header word, or
// one of the class's own inside an ancestor's part, would let two pieces of code disagree on
// what the slot holds.
bool GSClass::BuildSlotKinds() {
    const int32_t memberEnd = instanceSlotCount_ - kSpareSlots;
    slotKinds_.assign(static_cast<size_t>(memberEnd), GS_KIND_VALUE);
    slotKinds_[0] = slotKinds_[1] = GS_KIND_HEADER;
    for (const GSAncestor& ancestor : ancestors_) {
        const auto at = static_cast<size_t>(ancestor.offset);
        slotKinds_[at] = slotKinds_[at + 1] = GS_KIND_HEADER;
    }
    const auto markObject = [this](int64_t at) {
        if (at < 0 || at >= static_cast<int64_t>(slotKinds_.size())) return false;
        if (slotKinds_[static_cast<size_t>(at)] == GS_KIND_HEADER) return false;
        slotKinds_[static_cast<size_t>(at)] = GS_KIND_REFERENCE;
        return true;
    };
    for (size_t i = 0; i < ancestors_.size(); ++i)
        for (uint32_t slot : AncestorClass(i)->objectSlots_)
            if (!markObject(int64_t{ancestors_[i].offset} + slot)) return false;
    for (uint32_t slot : objectSlots_) {
        for (size_t i = 0; i < ancestors_.size(); ++i) {
            const int64_t start = ancestors_[i].offset;
            if (slot >= start && slot < start + AncestorClass(i)->instanceSlotCount_ - kSpareSlots) return false;
        }
        if (!markObject(slot)) return false;
    }
    return true;
}

const GSFunction* GSClass::VerifyKinds() {
    for (GSFunction& function : functions_) {
        if (!VerifyGSKinds(function, slotKinds_)) return &function;
        function.runCode = FuseGSCode(function.code);
    }
    return nullptr;
}

const char* GSClass::AncestorName(size_t i) const {
    const GSClassRef* ref = library_->GetClassRef(ancestors_[i].classRef);
    return ref ? library_->GetString(ref->nameIndex) : nullptr;
}

// Each ancestor's own ancestors lie where this class places them: a class of the same name
// at the ancestor's offset plus theirs. Otherwise an ancestor's code, verified against its
// own layout, would reach other slots here than those whose kinds this class gave.
bool GSClass::AncestorsNestConsistently() const {
    const auto hasAncestor = [this](int64_t offset, const char* name) {
        for (size_t k = 0; k < ancestors_.size(); ++k) {
            const char* own = AncestorName(k);
            if (ancestors_[k].offset == offset && own && std::strcmp(own, name) == 0) return true;
        }
        return false;
    };
    for (size_t i = 0; i < ancestors_.size(); ++i) {
        const GSClass* ancestor = AncestorClass(i);
        for (size_t j = 0; j < ancestor->ancestors_.size(); ++j) {
            const char* name = ancestor->AncestorName(j);
            const int64_t at = int64_t{ancestors_[i].offset} + ancestor->ancestors_[j].offset;
            if (!name || !hasAncestor(at, name)) return false;
        }
    }
    return true;
}
