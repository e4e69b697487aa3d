// ACSChunkRef: the soup handle that every subsystem holds, a counted reference to a soup
// node (ACSChunk, chunk.h) or nothing. Its methods are the soup interface of the program:
// typed getters by tag name with defaults, setters that replace a tag (and so move it to the
// end), sub-soups shared without copying, KUID walks, printing, and soup files in the text
// or binary form chosen by extension. Lookups by name take the first child of that name.
#pragma once

#include <cstdint>
#include <span>

#include "engine/file_path.h"
#include "engine/pstring.h"
#include "engine/string.h"
#include "foundation/containers/float_array.h"
#include "foundation/kuid/kuid.h"
#include "foundation/kuid/kuid_list.h"
#include "foundation/soup/tag_type.h"

class ACSChunk;
class ACSRawDataRef;

class ACSChunkRef {
  public:
    ACSChunkRef() = default;
    ACSChunkRef(const ACSChunkRef& other);
    ACSChunkRef(ACSChunkRef&& other) noexcept : chunk_(other.chunk_) { other.chunk_ = nullptr; }
    // References the new node first, then releases the old one.
    ACSChunkRef& operator=(const ACSChunkRef& other);
    ACSChunkRef& operator=(ACSChunkRef&& other) noexcept;
    ~ACSChunkRef() { Release(); }

    // Takes over the creator's reference of a new node.
    static ACSChunkRef Adopt(ACSChunk* created);
    // A new reference to a node that others hold.
    static ACSChunkRef Share(ACSChunk* chunk);

    ACSChunk* Get() const { return chunk_; }
    ACSChunk* operator->() const { return chunk_; }
    bool IsSameNode(const ACSChunkRef& other) const { return chunk_ == other.chunk_; }
    // Drops the reference; the handle becomes empty.
    void Release();

    // Reading. An empty handle gives the "missing" result everywhere.
    // No node, the shared null chunk, or a node of type 0.
    bool IsNull() const;
    int32_t CountTags() const;
    // A child of that name exists and its type is not 0.
    bool HasTag(const Kiv::PString& name) const;
    ACSTagType GetNamedTagType(const Kiv::PString& name) const;
    // The index-th child's name; the empty name when out of range.
    Kiv::PString GetIndexedTagName(int32_t index) const;
    // The child when it is a container (shared, not copied); else an empty handle.
    ACSChunkRef GetNamedSoup(const Kiv::PString& name) const;
    ACSChunkRef GetIndexedSoup(int32_t index) const;
    // The child's bytes as a value that keeps the child alive; null when missing or type 0.
    ACSRawDataRef GetNamedTagData(const Kiv::PString& name) const;
    // The value as text (converted to type 4); the empty text when it has none.
    Kiv::String GetNamedTag(const Kiv::PString& name) const;
    // The value converted to one integer (float, KUID); anything else gives the default.
    int32_t GetNamedTagAsInt(const Kiv::PString& name, int32_t fallback) const;
    bool GetNamedTagAsBool(const Kiv::PString& name, bool fallback) const;
    float GetNamedTagAsFloat(const Kiv::PString& name, float fallback) const;
    KUID GetNamedTagAsKUID(const Kiv::PString& name, const KUID& fallback) const;
    // Every float of the child "camera"; true when there was at least one.
    bool GetCameraFloats(FloatArray& floats) const;

    // Writing. Each setter makes an empty handle a new container, removes the first child
    // of the name and appends the new tag at the end. On a handle to a node that is no
    // container (the null chunk, a data tag) setters do nothing.
    void SetNamedTagInt(const Kiv::PString& name, int32_t value);
    void SetNamedTagBool(const Kiv::PString& name, bool flag);
    void SetNamedTagFloat(const Kiv::PString& name, float value);
    void SetNamedTagKUID(const Kiv::PString& name, const KUID& kuid);
    // No floats only removes the old tag.
    void SetNamedTagFloatArray(const Kiv::PString& name, std::span<const float> floats);
    // The text with its zero byte; a null or empty text gives a string tag with no bytes.
    void SetNamedTagString(const Kiv::PString& name, const char* text);
    // A type-0 tag (the text parser's empty values).
    void SetNamedTagEmpty(const Kiv::PString& name);
    // Attaches the sub-soup itself; an empty sub handle first becomes a new container.
    void SetNamedSoup(const Kiv::PString& name, ACSChunkRef& soup);

    void RemoveNamedTag(const Kiv::PString& name);
    void RemoveTag(const ACSChunkRef& chunk);
    // The first of "0", "1", ... that names no tag (a type-0 tag leaves its name free).
    Kiv::PString GetUniqueTagName() const;
    // Makes an empty handle a new container; a handle to any node stays as it is.
    void EnsureContainer();
    ACSChunkRef GetContainer();
    // Replaces the handle by a new container holding a deep copy of source.
    void CopyFrom(const ACSChunkRef& source);
    // chunk, or an empty handle when it is the null chunk or of type 0.
    static ACSChunkRef FromNonNull(const ACSChunkRef& chunk);

    // The text form on standard output, then a line end.
    void Print() const;
    // The text form through LogMessage.
    void Log() const;

    // Adds every KUID the soup names to the set: text tags that hold one strict KUID text,
    // KUID tags of exactly one KUID, and the same inside sub-soups.
    static void CollectKUIDs(const ACSChunkRef& soup, KUIDList& set);
    // Adds each child's value that converts to exactly one KUID (text and numbers too).
    static void CollectKUIDTags(const ACSChunkRef& soup, KUIDList& set);
    // The set's non-null KUIDs under the names "0", "1", ...; an empty handle when none.
    static ACSChunkRef FromKUIDSet(const KUIDList& set);

    // Loads the file of that name (in folder when it is not empty) by its extension or the
    // explicit one: "txt" with the text parser (utf8 as its starting UTF-8 flag), "chump",
    // "cdp" and "cdp2" with the binary reader. True when the file opened and the extension
    // is known, whatever the reader made of it.
    bool LoadFromFile(const char* folder, const char* name, const char* extension, bool utf8);
    // Writes the soup in the form the extension names; false for an unknown extension, an
    // open failure or a write failure.
    bool SaveToFile(const char* folder, const char* name, const char* extension) const;
    // Loads a text soup file, falling back on the ".tmp" companion that an interrupted save
    // leaves (see soup_file_recovery.h).
    bool LoadFromFileWithRecovery(const Kiv::PString& base, const Kiv::File::Path& path);

  private:
    explicit ACSChunkRef(ACSChunk* adopted) : chunk_(adopted) {}
    // A new tag of type and bytes appended under name, replacing the first of that name.
    void ReplaceNamedTag(const Kiv::PString& name, ACSTagType type, const ACSRawDataRef& data);
    // The value of the child converted to type; null when it has none.
    ACSRawDataRef GetNamedTagConverted(const Kiv::PString& name, ACSTagType type) const;

    ACSChunk* chunk_ = nullptr;
};

// The extension a soup file is read or written by: the explicit one when not empty (a
// leading "." skipped), else the text after the last "." of the file name (separators do
// not stop the search), else none.
Kiv::String ResolveFileExtension(const char* extension, const char* fileName);
