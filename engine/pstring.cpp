// The intern table behind Kiv::PString: an open-addressed set of nodes keyed by text (see
// engine/intern_table.h) under one mutex.
// Reference counts are atomics, so copying and releasing a handle take no lock; interning
// and garbage collection take the mutex, which is what keeps a collected node from being
// handed out again.
#include "engine/pstring.h"

#include "engine/ascii.h"
#include "engine/format.h"
#include "engine/intern_table.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <vector>

namespace Kiv {

struct PStringNode {
    size_t length;
    std::atomic<int32_t> references;
    char* Text() { return reinterpret_cast<char*>(this + 1); }
    std::string_view View() { return {Text(), length}; }
};

namespace {

struct Table {
    std::mutex mutex;
    InternTable<PStringNode> nodes;
};

// Never destroyed: handles held by static objects may be released after main returns.
Table& TheTable() {
    static Table* table = new Table;
    return *table;
}

PStringNode* NewNode(std::string_view text) {
    void* memory = ::operator new(sizeof(PStringNode) + text.size() + 1);
    auto* node = new (memory) PStringNode{text.size(), {1}};
    std::memcpy(node->Text(), text.data(), text.size());
    node->Text()[text.size()] = '\0';
    return node;
}

void FreeNode(PStringNode* node) {
    node->~PStringNode();
    ::operator delete(node);
}

PStringNode* Intern(std::string_view text) {
    if (text.empty()) return nullptr;
    Table& table = TheTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    const size_t hash = InternTable<PStringNode>::Hash(text);
    if (PStringNode* found = table.nodes.Find(text, hash)) {
        found->references.fetch_add(1, std::memory_order_relaxed);
        return found;
    }
    PStringNode* node = NewNode(text);
    table.nodes.Insert(node, hash);
    return node;
}

PString FromStd(const std::string& text) { return PString(text.data(), text.size()); }

}  // namespace

PString::PString(const char* text) : node_(text ? Intern(text) : nullptr) {}

PString::PString(const char* text, size_t length)
    : node_(text ? Intern(std::string_view(text, strnlen(text, length))) : nullptr) {}

PString::PString(const PString& other) : node_(other.node_) {
    if (node_) node_->references.fetch_add(1, std::memory_order_relaxed);
}

PString& PString::operator=(const PString& other) {
    if (other.node_) other.node_->references.fetch_add(1, std::memory_order_relaxed);
    PStringCache::Destroy(node_);
    node_ = other.node_;
    return *this;
}

PString& PString::operator=(PString&& other) noexcept {
    if (this != &other) {
        PStringCache::Destroy(node_);
        node_ = other.node_;
        other.node_ = nullptr;
    }
    return *this;
}

PString::~PString() { PStringCache::Destroy(node_); }

const char* PString::Text() const { return node_ ? node_->Text() : nullptr; }
const char* PString::c_str() const { return node_ ? node_->Text() : ""; }
size_t PString::Length() const { return node_ ? node_->length : 0; }
std::string_view PString::View() const { return node_ ? node_->View() : std::string_view(); }

PString PString::Setf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatV(format, args);
    va_end(args);
    return FromStd(text);
}

PString PString::Concat(const PString& a, const PString& b) {
    std::string text(a.View());
    text += b.View();
    return FromStd(text);
}

PString PString::ConcatText(const PString& a, const char* text) {
    std::string joined(a.View());
    if (text) joined += text;
    return FromStd(joined);
}

PString PString::ToLower() const {
    std::string text(View());
    for (char& c : text) c = Ascii::ToLower(c);
    return FromStd(text);
}

PString PString::ToUpper() const {
    std::string text(View());
    for (char& c : text) c = Ascii::ToUpper(c);
    return FromStd(text);
}

PString PString::Ins(size_t position, const char* text) const {
    std::string result(View());
    result.insert(std::min(position, result.size()), text ? text : "");
    return FromStd(result);
}

PString PString::Del(size_t position, size_t count) const {
    std::string result(View());
    if (position < result.size()) result.erase(position, count);
    return FromStd(result);
}

bool PString::EqualsIgnoreCase(const char* text) const {
    if (!node_ || !text) return !node_ && !text;
    return Ascii::EqualsIgnoreCase(node_->View(), text);
}

bool PString::EqualsIgnoreCase(const PString& other) const {
    return EqualsIgnoreCase(other.Text());
}

void PStringCache::Lock() { TheTable().mutex.lock(); }
void PStringCache::Unlock() { TheTable().mutex.unlock(); }

void PStringCache::Destroy(PStringNode* node) {
    if (node) node->references.fetch_sub(1, std::memory_order_acq_rel);
}

size_t PStringCache::CollectGarbage() {
    Table& table = TheTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    size_t freed = 0;
    table.nodes.Filter(
        [](PStringNode* node) { return node->references.load(std::memory_order_acquire) > 0; },
        [&freed](PStringNode* node) {
            FreeNode(node);
            ++freed;
        });
    return freed;
}

size_t PStringCache::Count() {
    Table& table = TheTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    return table.nodes.Count();
}

}  // namespace Kiv
