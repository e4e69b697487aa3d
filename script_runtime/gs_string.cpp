// Script strings: construction in a context, the range edits, appends, and the count of
// their storage against the context's budget.
#include "script_runtime/gs_string.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>

#include "script_runtime/gs_context.h"
#include "script_runtime/gs_context_heap.h"

namespace {

GSTrackedObjectRegistry* RegistryOf(GSContext* context) {
    return context ? &context->Registry() : nullptr;
}

// The range rule against a length; false for an end below the start.
bool ApplyRange(int32_t length, int32_t& start, int32_t& end) {
    if (start < 0) start = 0;
    if (end < 0 || end > length) end = length;
    return end >= start;
}

}  // namespace

GSString::GSString(GSContext* context, std::string_view text)
    : GSObjectReference(GS_REFERENCE_STRING), text_(text), embedded_(RegistryOf(context), this) {
    Recount();
}

GSString::~GSString() {
    if (GSMemoryBudget* budget = Budget()) budget->Release(counted_);
}

GSMemoryBudget* GSString::Budget() { return GSMemoryBudgetOf(Header().GetContext()); }

void GSString::Recount() {
    GSMemoryBudget* budget = Budget();
    if (!budget) return;
    budget->Release(counted_);
    counted_ = text_.Std().capacity();
    budget->Force(counted_);
}

void GSString::SetText(std::string_view text) {
    text_.Std().assign(text);
    Recount();
}

bool GSString::Reserve(size_t needed, bool geometric) {
    std::string& text = text_.Std();
    if (needed <= text.capacity()) return true;
    if (needed > GSMaxObjectStorage()) return false;
    const size_t doubled = std::min(std::max(needed, 2 * text.capacity()), GSMaxObjectStorage());
    GSMemoryBudget* budget = Budget();
    for (const size_t capacity : {geometric ? doubled : needed, needed}) {
        // The new storage is asked for while the old still lives.
        if (budget && !budget->Charge(capacity)) continue;
        try {
            text.reserve(capacity);
        } catch (const std::bad_alloc&) {
        } catch (const std::length_error&) {
        }
        if (budget) budget->Release(capacity);
        if (text.capacity() >= needed) {
            Recount();
            return true;
        }
    }
    return false;
}

// Builds the new text out of place; false, nothing changed, when it cannot be had.
template <class Build>
bool GSString::Rebuild(size_t newLength, Build build) {
    if (newLength > GSMaxObjectStorage()) return false;
    GSMemoryBudget* budget = Budget();
    if (budget && !budget->Charge(newLength)) return false;
    std::string made;
    bool built = true;
    try {
        made.reserve(newLength);
        build(made);
    } catch (const std::bad_alloc&) {
        built = false;
    } catch (const std::length_error&) {
        built = false;
    }
    if (budget) budget->Release(newLength);
    if (!built) return false;
    text_.Std().swap(made);
    Recount();
    return true;
}

GSString::GSString() : GSString(GSContext::Current(), std::string_view()) {}

GSString::GSString(GSContext* context, const char* text)
    : GSString(context, std::string_view(text ? text : "")) {}

GSString::GSString(GSContext* context, const Kiv::String& text) : GSString(context, text.View()) {}

GSString::GSString(GSContext* context, const Kiv::PString& text) : GSString(context, text.View()) {}

GSString::GSString(const GSString* other)
    : GSString(GSContext::Current(), other ? other->View() : std::string_view()) {}

bool GSString::Substring(GSString& destination, const GSString& source, int32_t start, int32_t end) {
    if (!ApplyRange(source.Length(), start, end)) return false;
    const std::string_view part = source.View().substr(static_cast<size_t>(start),
                                                       static_cast<size_t>(end - start));
    return destination.Rebuild(part.size(), [&](std::string& made) { made.append(part); });
}

bool GSString::ReplaceRange(GSString& string, int32_t start, int32_t end, const GSString* other) {
    if (!ApplyRange(string.Length(), start, end)) return false;
    const std::string_view old = string.View();
    const std::string_view inserted = other ? other->View() : std::string_view();
    const size_t newLength = old.size() - static_cast<size_t>(end - start) + inserted.size();
    return string.Rebuild(newLength, [&](std::string& made) {
        made.append(old.substr(0, static_cast<size_t>(start)));
        made.append(inserted);
        made.append(old.substr(static_cast<size_t>(end)));
    });
}

bool GSString::SetChar(GSString& string, int32_t index, char byte) {
    if (index < 0) return false;
    const auto at = static_cast<size_t>(index);
    if (at < string.text_.Length()) {
        string.text_.Std()[at] = byte;
        return true;
    }
    // Grown in place and geometrically, so a loop that sets the byte one past the end each
    // time is not quadratic. Once the room is reserved nothing throws.
    if (!string.Reserve(at + 1, true)) return false;
    std::string& text = string.text_.Std();
    text.append(at - text.size(), ' ');
    text.push_back(byte);
    return true;
}

bool GSString::Join(GSString& string, const GSString& a, const GSString& b) {
    if (!string.Reserve(a.text_.Length() + b.text_.Length(), false)) return false;
    string.text_.Std().append(a.View()).append(b.View());
    return true;
}

bool GSString::Append(GSString& string, const GSString& other) {
    const size_t length = string.text_.Length() + other.text_.Length();
    if (!string.Reserve(length, true)) return false;
    string.text_.Std().append(other.text_.Std(), 0, std::string::npos);
    return true;
}
