// GSString: a script string, a reference object holding owned bytes. Positions and lengths
// count bytes; the range rule is the arrays' (negative start 0, negative or too-large end the
// length, end below start fails). An edit that cannot get its storage fails like a bad range:
// false, with the string as it was. The text's storage counts against the budget of the
// string's context (gs_memory_budget.h); a growth past it fails like any other. Appending
// grows the storage geometrically and never shrinks it, so a string built by repeated
// appends costs time in proportion to its length.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/pstring.h"
#include "engine/string.h"
#include "script_runtime/gs_script_instance.h"

class GSContext;
class GSMemoryBudget;

class GSString : public GSObjectReference {
  public:
    // Empty, in the current context.
    GSString();
    GSString(GSContext* context, const char* text);
    GSString(GSContext* context, const Kiv::String& text);
    GSString(GSContext* context, const Kiv::PString& text);
    // A copy of other's text (empty for null), in the current context.
    explicit GSString(const GSString* other);
    ~GSString() override;

    GSSlot* GetReference() override { return &embedded_.reference; }
    GSScriptInstance& Header() { return embedded_.header; }

    const Kiv::String& Text() const { return text_; }
    std::string_view View() const { return text_.View(); }
    int32_t Length() const { return static_cast<int32_t>(text_.Length()); }
    // Replaces the text in place (the natives that edit a string argument).
    void SetText(std::string_view text);

    static bool Substring(GSString& destination, const GSString& source, int32_t start, int32_t end);
    static bool ReplaceRange(GSString& string, int32_t start, int32_t end, const GSString* other);
    // Byte index becomes `byte`; an index at or past the length first pads the text with
    // blanks up to it. False, the string unchanged, for a negative index or a length that
    // cannot be had.
    static bool SetChar(GSString& string, int32_t index, char byte);
    // A new, empty string becomes a followed by b, its storage exactly their length.
    static bool Join(GSString& string, const GSString& a, const GSString& b);
    // other's text goes on the end of the string's; other may be the string itself.
    static bool Append(GSString& string, const GSString& other);

  private:
    GSString(GSContext* context, std::string_view text);

    GSMemoryBudget* Budget();
    // Room for `needed` bytes, growing to twice the present storage where that fits (to
    // exactly `needed` where only that does); false, nothing changed, when neither can be had.
    bool Reserve(size_t needed, bool geometric);
    // Counts the storage as it now is, whatever the budget (storage made where nothing can
    // fail, or already allowed).
    void Recount();
    template <class Build>
    bool Rebuild(size_t newLength, Build build);

    Kiv::String text_;
    GSEmbeddedInstance embedded_;
    size_t counted_ = 0;  // bytes of storage counted against the budget
};
