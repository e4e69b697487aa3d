// GSLibrary: one loaded ".gsl" library. Load reads the whole image (the image is owned by
// the library; names and code point into it), loads every class, then resolves the
// dependencies through the machine (which may load them in turn, or hand back a library
// still loading in a cycle), the class references, the function references, and links each
// class. The image is untrusted: every count, offset, index and length is bounded before it
// is used and the byte code is verified, so a damaged file is a format error (-1), never a
// read outside the image.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "engine/string.h"
#include "foundation/utils/aligned_byte_buffer.h"
#include "foundation/utils/double_link_list.h"

class GSClass;
class GSImageReader;
class GSMachine;
struct GSFunction;

inline constexpr uint32_t kGSLibraryMagic = 0xF762575D;

// Results of GSLibrary::Load.
enum GSLoadResult : int {
    GS_LOAD_OK = 0,
    GS_LOAD_FORMAT_ERROR = -1,
    GS_LOAD_DEPENDENCY_ERROR = -2,
    GS_LOAD_LINK_ERROR = -3,
};

struct GSDependency {
    class GSLibrary* library;
    uint32_t id1;
    uint32_t id2;
};

struct GSClassRef {
    class GSLibrary* library;  // that of its dependency
    const char* name;
    GSClass* gsClass;
    uint32_t dependency;
    uint32_t nameIndex;
};

struct GSFunctionRef {
    GSClass* gsClass;
    const char* name;
    int32_t slot;  // the file's word
    const GSFunction* function;
    uint32_t classRef;
    uint32_t nameIndex;
};

class GSLibrary : public Utils::IDoubleLinkListNode {
  public:
    GSLibrary();
    ~GSLibrary() override;

    // Copies the image and loads it: GS_LOAD_OK, or the failure.
    int Load(GSMachine* machine, std::span<const uint8_t> image);

    GSMachine* Machine() const { return machine_; }
    uint32_t Id1() const { return id1_; }
    uint32_t Id2() const { return id2_; }
    float Version() const { return version_; }
    const Kiv::String& GetSourceName() const { return sourceName_; }
    // The library's copy of its file, into which names and code point.
    std::span<const uint8_t> Image() const { return {image_.Data(), image_.Length()}; }

    uint32_t StringCount() const { return static_cast<uint32_t>(strings_.size()); }
    const char* GetString(uint32_t index) const;
    const std::vector<GSDependency>& Dependencies() const { return dependencies_; }
    const std::vector<GSClassRef>& ClassRefs() const { return classRefs_; }
    const GSClassRef* GetClassRef(uint32_t index) const;
    const std::vector<GSFunctionRef>& FunctionRefs() const { return functionRefs_; }
    size_t ClassCount() const { return classes_.size(); }
    GSClass* ClassAt(size_t index) const { return classes_[index].get(); }
    // Searches from the last class to the first.
    GSClass* FindClass(std::string_view name) const;
    // Position of the class among the library's static classes in class order, or -1.
    int StaticIndex(const GSClass* gsClass) const;
    int StaticClassCount() const;
    // True when this library resolved a dependency to `other`.
    bool DependsOn(const GSLibrary* other) const;

  private:
    int LoadHeader(GSImageReader& reader);
    int LoadDependencies(GSImageReader& reader);
    int LoadStrings(GSImageReader& reader);
    int LoadClassRefs(GSImageReader& reader);
    int LoadFunctionRefs(GSImageReader& reader);
    int LoadClasses(GSImageReader& reader);
    int ResolveDependencies();
    int ResolveClassRefs();
    int ResolveFunctionRefs();
    int LinkClasses();
    int VerifyKinds();

    GSMachine* machine_ = nullptr;
    Utils::AlignedByteBuffer image_;
    float version_ = 0;
    uint32_t id1_ = 0;
    uint32_t id2_ = 0;
    std::vector<GSDependency> dependencies_;
    std::vector<const char*> strings_;
    std::vector<Kiv::String> stringCopies_;
    std::vector<GSClassRef> classRefs_;
    std::vector<GSFunctionRef> functionRefs_;
    std::vector<std::unique_ptr<GSClass>> classes_;
    Kiv::String sourceName_;
};
