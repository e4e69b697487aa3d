// The natives of class "Str". A separator set is the bytes of a separator argument up to
// its first zero byte, or the default set (space, tab, CR, LF, VT) when that is null or
// empty; the Unpack natives always use the default set. Numbers are read by the C library's
// atoi and atof rules, except that an integer beyond the 32-bit range saturates.
#include "script_runtime/gs_str_natives.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/string.h"
#include "script_runtime/gs_array.h"
#include "script_runtime/gs_native_arguments.h"
#include "script_runtime/gs_plain_native_table.h"

namespace {

constexpr std::string_view kDefaultSeparators{" \t\r\n\v", 5};

GSString* StringArgument(const GSSlot* arguments, int index) {
    return GSStringOf(static_cast<GSSlot*>(arguments[index].p));
}

std::string_view SeparatorsOf(const GSString* separators) {
    const std::string_view set = separators ? std::string_view(separators->Text().c_str())
                                            : std::string_view();
    return set.empty() ? kDefaultSeparators : set;
}

int32_t IntOf(const char* text) {
    const long long value = std::strtoll(text, nullptr, 10);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

float FloatOf(const char* text) { return static_cast<float>(std::strtod(text, nullptr)); }

// Takes the first token off a non-empty text: the separators in front are skipped, the token
// runs to the next separator, and the text keeps what follows, that separator first.
bool TakeToken(GSString* text, std::string& token) {
    if (!text || text->Length() == 0) return false;
    const std::string_view view = text->View();
    size_t begin = view.find_first_not_of(kDefaultSeparators);
    if (begin == std::string_view::npos) begin = view.size();
    size_t end = view.find_first_of(kDefaultSeparators, begin);
    if (end == std::string_view::npos) end = view.size();
    token.assign(view.substr(begin, end - begin));
    text->SetText(view.substr(end));
    return true;
}

void TrimLeft(GSContext*, GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    GSString* text = arguments ? StringArgument(arguments, 1) : nullptr;
    if (!text || text->Length() == 0) return;
    const std::string_view view = text->View();
    const size_t first = view.find_first_not_of(SeparatorsOf(StringArgument(arguments, 2)));
    text->SetText(first == std::string_view::npos ? std::string_view() : view.substr(first));
}

void TrimRight(GSContext*, GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    GSString* text = arguments ? StringArgument(arguments, 1) : nullptr;
    if (!text || text->Length() == 0) return;
    const std::string_view view = text->View();
    const size_t last = view.find_last_not_of(SeparatorsOf(StringArgument(arguments, 2)));
    text->SetText(last == std::string_view::npos ? std::string_view() : view.substr(0, last + 1));
}

void ToInt(GSContext*, GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    if (!arguments) return;
    const GSString* text = StringArgument(arguments, 1);
    stack->PushInt(text ? IntOf(text->Text().c_str()) : 0);
}

void ToFloat(GSContext*, GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    if (!arguments) return;
    const GSString* text = StringArgument(arguments, 1);
    stack->PushFloat(text ? FloatOf(text->Text().c_str()) : 0.0f);
}

void ToUpper(GSContext*, GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    GSString* text = arguments ? StringArgument(arguments, 1) : nullptr;
    if (!text) return;
    Kiv::AnsiString changed(text->Text());
    text->SetText(changed.ToUpper().View());
}

void ToLower(GSContext*, GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    GSString* text = arguments ? StringArgument(arguments, 1) : nullptr;
    if (!text) return;
    Kiv::AnsiString changed(text->Text());
    text->SetText(changed.ToLower().View());
}

// The runs of non-separator bytes, in order: consecutive separators make no empty tokens.
void Tokens(GSContext* context, GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    if (!arguments) return;
    auto* tokens = new GSArray(context, GSArray::kReferences);
    if (const GSString* text = StringArgument(arguments, 1)) {
        const std::string_view view = text->View();
        const std::string_view set = SeparatorsOf(StringArgument(arguments, 2));
        int32_t count = 0;
        for (size_t begin = view.find_first_not_of(set); begin != std::string_view::npos;
             begin = view.find_first_not_of(set, begin)) {
            const size_t end = std::min(view.find_first_of(set, begin), view.size());
            auto* token = new GSString(context, Kiv::String(view.substr(begin, end - begin)));
            tokens->SetObject(count++, token->GetReference(), false, nullptr);
            begin = end;
        }
    }
    stack->PushReference(tokens->GetReference(), nullptr);
}

void UnpackInt(GSContext*, GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    if (!arguments) return;
    std::string token;
    stack->PushInt(TakeToken(StringArgument(arguments, 1), token) ? IntOf(token.c_str()) : 0);
}

void UnpackFloat(GSContext*, GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    if (!arguments) return;
    std::string token;
    stack->PushFloat(TakeToken(StringArgument(arguments, 1), token) ? FloatOf(token.c_str()) : 0.0f);
}

void UnpackString(GSContext* context, GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    if (!arguments) return;
    std::string token;
    if (TakeToken(StringArgument(arguments, 1), token))
        stack->PushString(token, context);
    else
        stack->PushReference(nullptr, nullptr);
}

// The part is searched up to its first zero byte.
void Find(GSContext*, GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    if (!arguments) return;
    const GSString* text = StringArgument(arguments, 1);
    const GSString* part = StringArgument(arguments, 2);
    const int32_t start = arguments[3].i;
    int32_t position = -1;
    if (text && part && start >= 0 && start <= text->Length()) {
        const size_t found = text->View().find(part->Text().c_str(), static_cast<size_t>(start));
        if (found != std::string_view::npos) position = static_cast<int32_t>(found);
    }
    stack->PushInt(position);
}

constexpr GSPlainNative kStrNatives[] = {
    {"$void@Str::TrimLeft(string,string)", TrimLeft},
    {"$void@Str::TrimRight(string,string)", TrimRight},
    {"$int@Str::ToInt(string)", ToInt},
    {"$float@Str::ToFloat(string)", ToFloat},
    {"$void@Str::ToUpper(string)", ToUpper},
    {"$void@Str::ToLower(string)", ToLower},
    {"$string[]@Str::Tokens(string,string)", Tokens},
    {"$int@Str::UnpackInt(string)", UnpackInt},
    {"$float@Str::UnpackFloat(string)", UnpackFloat},
    {"$string@Str::UnpackString(string)", UnpackString},
    {"$int@Str::Find(string,string,int)", Find},
};

}  // namespace

void Str::RegisterNatives(GSMachine& machine) { GSRegisterPlainNatives(machine, "Str", kStrNatives); }
