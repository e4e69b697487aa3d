// Script strings: construction in a context, and the two range edits.
#include "script_runtime/gs_string.h"

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

// Builds the new text out of place; false when it is too large or cannot be had.
template <class Build>
bool BuildText(Kiv::String& text, size_t newLength, Build build) {
    if (newLength > GSMaxObjectStorage()) return false;
    try {
        std::string made;
        made.reserve(newLength);
        build(made);
        text.Std().swap(made);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

}  // namespace

GSString::GSString(GSContext* context, std::string_view text)
    : GSObjectReference(GS_REFERENCE_STRING), text_(text), embedded_(RegistryOf(context), this) {}

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
    return BuildText(destination.text_, part.size(), [&](std::string& made) { made.append(part); });
}

bool GSString::ReplaceRange(GSString& string, int32_t start, int32_t end, const GSString* other) {
    if (!ApplyRange(string.Length(), start, end)) return false;
    const std::string_view old = string.View();
    const std::string_view inserted = other ? other->View() : std::string_view();
    const size_t newLength = old.size() - static_cast<size_t>(end - start) + inserted.size();
    return BuildText(string.text_, newLength, [&](std::string& made) {
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
    // Grown in place: the text's storage grows geometrically, so a loop that sets the byte
    // one past the end each time is not quadratic. Once the room is reserved nothing throws.
    if (at + 1 > GSMaxObjectStorage()) return false;
    std::string& text = string.text_.Std();
    try {
        text.reserve(at + 1);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    text.append(at - text.size(), ' ');
    text.push_back(byte);
    return true;
}
