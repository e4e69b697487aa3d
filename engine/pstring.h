// Interned strings. A Kiv::PString is a handle to a node of the process-wide
// PStringCache: equal text gives the same node, so equality of two handles is node
// identity (exact, case-sensitive) and costs one pointer compare. The null handle is the
// empty string. Handles count references atomically; a node whose count reached zero stays
// in the cache until PStringCache::CollectGarbage frees it, so a name that is dropped and
// interned again soon costs no allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

namespace Kiv {

struct PStringNode;

class PString {
public:
    PString() = default;
    PString(const char* text);                  // interns text; null or "" gives the null handle
    PString(const char* text, size_t length);   // interns the first length bytes
    explicit PString(std::string_view text) : PString(text.data(), text.size()) {}
    PString(const PString& other);
    PString(PString&& other) noexcept : node_(other.node_) { other.node_ = nullptr; }
    PString& operator=(const PString& other);
    PString& operator=(PString&& other) noexcept;
    ~PString();

    static PString Create(const char* text) { return PString(text); }
    static PString Create(const char* text, size_t length) { return PString(text, length); }
    // printf-style text, interned.
    static PString Setf(const char* format, ...) __attribute__((format(printf, 1, 2)));
    static PString Concat(const PString& a, const PString& b);
    static PString ConcatText(const PString& a, const char* text);

    bool IsNull() const { return node_ == nullptr; }
    bool IsEmpty() const { return node_ == nullptr; }
    // The text; the null handle gives null (Text) or "" (c_str).
    const char* Text() const;
    const char* c_str() const;
    size_t Length() const;
    std::string_view View() const;

    PString ToLower() const;
    PString ToUpper() const;
    PString Ins(size_t position, const char* text) const;  // text inserted at position
    PString Del(size_t position, size_t count) const;      // count bytes removed at position

    // Comparison with C text ignoring ASCII case; the null handle equals only null text.
    bool EqualsIgnoreCase(const char* text) const;
    bool EqualsIgnoreCase(const PString& other) const;

    bool operator==(const PString& other) const { return node_ == other.node_; }
    bool operator!=(const PString& other) const { return node_ != other.node_; }
    // Byte order of the text, for sorted output; the null handle sorts first.
    static bool LessText(const PString& a, const PString& b) { return a.View() < b.View(); }

    const void* Identity() const { return node_; }

private:
    explicit PString(PStringNode* adopted) : node_(adopted) {}
    PStringNode* node_ = nullptr;
};

// The process-wide intern table. Safe from any thread.
class PStringCache {
public:
    static void Lock();
    static void Unlock();
    // Frees every node that no handle references; returns how many were freed.
    static size_t CollectGarbage();
    // Number of nodes held, referenced or not.
    static size_t Count();
    // Drops one reference of a node (what releasing a handle does).
    static void Destroy(PStringNode* node);
};

}  // namespace Kiv

template <>
struct std::hash<Kiv::PString> {
    size_t operator()(const Kiv::PString& s) const noexcept {
        return std::hash<const void*>()(s.Identity());
    }
};
