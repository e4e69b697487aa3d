// GSClass: one script class of a loaded library, read from its class chunk. Everything the
// image says about the class is decoded and bounds-checked at load (ancestors, functions
// with their byte code verified, members, method table, layout triples, object-typed
// member slots); class and function references to other libraries are resolved when the
// library links. The lookups by name compare bytes.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "script_runtime/gs_function.h"
#include "script_runtime/gs_slot_kind.h"

class GSContext;
class GSLibrary;
class GSMachine;
class GSObject;
class GSImageReader;
struct GSFunctionRef;

struct GSAncestor {
    uint32_t classRef;  // index into the library's class references
    int32_t offset;     // slot at which the ancestor's subobject begins
    bool direct;        // a direct parent
};

struct GSMember {
    const char* name;
    uint32_t type;
    int32_t classRef;   // -1 when the type names no class
    uint32_t flags;
    int32_t slot;
};

struct GSMethodEntry {
    const GSFunctionRef* functionRef;  // set by Link
    uint32_t functionRefIndex;
    int32_t offset;                    // of the defining class's subobject
};

struct GSLayoutTriple {
    uint32_t kind;  // 0: the value itself; 1: the address of method-table entry `value`
    int32_t slot;
    int32_t value;
};

enum GSClassFlags : uint32_t {
    GS_CLASS_STATIC = 0x4,
    GS_CLASS_FINAL = 0x8,
    GS_CLASS_GAME = 0x40,
    GS_CLASS_SECURED = 0x100,
};

class GSClass {
  public:
    GSClass() = default;
    virtual ~GSClass() = default;
    GSClass(const GSClass&) = delete;
    GSClass& operator=(const GSClass&) = delete;

    // Reads the class chunk at the reader's position, which must end by `limit`: 0, or -1
    // for a chunk that breaks the format or code that fails verification.
    int Load(GSMachine* machine, uint32_t index, GSImageReader& reader, GSLibrary* library,
             uint32_t limit);
    // Binds natives and inherited functions and resolves the method table; false when the
    // class has no machine or its layout does not fit its ancestors' resolved classes.
    bool Link();
    // The typed pass over every function's code, once the library is linked: the first
    // function refused, or null.
    const GSFunction* VerifyKinds();

    GSLibrary* Library() const { return library_; }
    const char* Name() const { return name_; }
    uint32_t Flags() const { return flags_; }
    uint32_t Index() const { return index_; }
    bool IsStatic() const { return (flags_ & GS_CLASS_STATIC) != 0; }

    const std::vector<GSAncestor>& Ancestors() const { return ancestors_; }
    // The resolved class of ancestor entry i (null before linking).
    GSClass* AncestorClass(size_t i) const;
    const std::vector<GSFunction>& Functions() const { return functions_; }
    const std::vector<GSMember>& Members() const { return members_; }
    const std::vector<GSMethodEntry>& MethodTable() const { return methodTable_; }
    const std::vector<GSLayoutTriple>& Layout() const { return layout_; }
    const std::vector<uint32_t>& ObjectSlots() const { return objectSlots_; }
    int32_t InstanceSlotCount() const { return instanceSlotCount_; }
    // The kind of each member slot of an instance (header words included), set at link.
    const std::vector<GSSlotKind>& SlotKinds() const { return slotKinds_; }
    // The member initialiser: the last function record.
    const GSFunction* Initialiser() const;

    int FindFunctionIndex(std::string_view mangledName) const;
    struct FoundFunction {
        const GSClass* definingClass;
        int32_t ancestorOffset;
        int32_t slot;
        int index;
    };
    bool FindFunction(std::string_view mangledName, FoundFunction& found) const;
    // The first ancestor function with the same name and parameters (the part of the
    // mangled name from the first "::" on).
    bool FindInherited(std::string_view mangledName, const GSFunction*& function,
                       int32_t& ancestorOffset) const;
    int AncestorIndex(const GSClass* other) const;
    // Whether the instance's view at the offset (0: the whole object) is one of the class.
    bool IsClassAtOffset(const GSClass* gsClass, int32_t offset) const;
    bool IsA(std::string_view name) const;

    // Makes the script instance of a native object (see gs_class_instance.cpp).
    bool CreateInstance(GSObject* nativeObject, GSContext* context);

  private:
    bool LoadAncestors(GSImageReader& reader, uint32_t end);
    bool LoadFunctions(GSImageReader& reader, uint32_t end);
    bool LoadFunction(GSImageReader& reader, uint32_t end, GSFunction& function);
    bool LoadMembers(GSImageReader& reader, uint32_t end);
    bool LoadMethodTable(GSImageReader& reader, uint32_t end);
    bool LoadLayout(GSImageReader& reader, uint32_t end);
    bool CheckSlots() const;
    bool VerifyCode() const;
    bool LayoutFitsAncestors() const;
    bool BuildSlotKinds();
    const char* AncestorName(size_t i) const;
    bool AncestorsNestConsistently() const;
    void LinkFunction(GSFunction& function);

    GSMachine* machine_ = nullptr;
    GSLibrary* library_ = nullptr;
    const char* name_ = nullptr;
    uint32_t flags_ = 0;
    uint32_t index_ = 0;
    std::vector<GSAncestor> ancestors_;
    std::vector<GSFunction> functions_;
    std::vector<GSMember> members_;
    std::vector<GSMethodEntry> methodTable_;
    int32_t instanceSlotCount_ = 0;
    std::vector<GSLayoutTriple> layout_;
    std::vector<uint32_t> objectSlots_;
    std::vector<GSSlotKind> slotKinds_;
};
