// Function keys and linkage names, the walk over a key's parameter types, type names and
// codes, specifier words and type equality: what the symbol tables, the checks and the
// library writer share about signatures.
#include <cstdio>
#include <cstring>
#include <string>

#include "script_compiler/gs_compiler.h"

namespace {

struct SpecifierWord {
    uint32_t bit;
    const char* text;
};

// In the order the words are written.
constexpr SpecifierWord kSpecifierWords[] = {
    {GS_FLAG_PUBLIC, "public "}, {GS_FLAG_NATIVE, "native "}, {GS_FLAG_STATIC, "static "},
    {GS_FLAG_FINAL, "final "},   {GS_FLAG_THREAD, "thread "}, {0x20, "constructor "},
    {GS_FLAG_GAME, "game "},     {GS_FLAG_SECURED, "secured "}, {GS_FLAG_DEFINE, "define "},
};

// The type and class of a type node (class name only for codes 5 and 11).
const char* ClassOfType(const GSCNode* type) {
    if (type->sub != GS_TYPE_OBJECT && type->sub != GS_TYPE_OBJECT + GS_TYPE_ARRAY) return nullptr;
    return type->child[0] ? type->child[0]->value.text : nullptr;
}

}  // namespace

void GSCompiler::TypeNodeName(const GSCNode* type, bool className, char* destination, size_t capacity) {
    const char* name = className ? ClassOfType(type) : nullptr;
    if (name && type->sub == GS_TYPE_OBJECT + GS_TYPE_ARRAY)
        std::snprintf(destination, capacity, "%s[]", name);
    else
        std::snprintf(destination, capacity, "%s", name ? name : GSTypeName(type->sub));
}

bool GSCompiler::BuildSignature(const char* className, const GSCNode* function, char* destination,
                                size_t capacity, bool withReturn, bool classNames) {
    if (capacity == 0) return false;
    destination[0] = '\0';
    if (function->category != GS_DECLARATION ||
        (function->kind != GS_DECL_FUNCTION && function->kind != GS_DECL_PROTOTYPE))
        return false;
    char typeName[kLiteralChars];
    std::string out;
    if (withReturn) {
        TypeNodeName(function->child[0], true, typeName, sizeof typeName);
        out = std::string("$") + typeName + "@" + (className ? className : "");
    }
    out += "::";
    out += function->child[1]->value.text;
    out += "(";
    for (const GSCNode* parameter = function->child[2]; parameter; parameter = parameter->next) {
        if (parameter != function->child[2]) out += ",";
        TypeNodeName(parameter->child[0], classNames, typeName, sizeof typeName);
        out += typeName;
    }
    out += ")";
    if (out.size() + 1 > capacity) return false;
    std::memcpy(destination, out.c_str(), out.size() + 1);
    return true;
}

void GSCompiler::PlainFunctionName(char* destination, size_t capacity, const char* key) {
    const char* start = std::strstr(key, "::");
    start = start ? start + 2 : key;
    const char* end = std::strchr(start, '(');
    const size_t length = end ? static_cast<size_t>(end - start) : std::strlen(start);
    std::snprintf(destination, capacity, "%.*s", static_cast<int>(length), start);
}

const char* GSCompiler::NextParameterType(const char* cursor, char* type, size_t capacity) {
    if (capacity) type[0] = '\0';
    if (!cursor || *cursor == ')' || *cursor == '\0') return nullptr;
    const char* end = cursor + std::strcspn(cursor, ",)");
    std::snprintf(type, capacity, "%.*s", static_cast<int>(end - cursor), cursor);
    return *end == ',' ? end + 1 : end;
}

const char* GSCompiler::FirstParameterType(const char* key, char* type, size_t capacity) {
    const char* open = std::strchr(key, '(');
    return NextParameterType(open ? open + 1 : nullptr, type, capacity);
}

int32_t GSCompiler::TypeCodeOfName(char* name) {
    for (int32_t code = GS_TYPE_VOID; code <= GS_TYPE_NULL; ++code)
        if (code != GS_TYPE_NONE && std::strcmp(name, GSTypeName(code)) == 0) return code;
    if (std::strstr(name, "[]")) {
        name[std::strlen(name) - 2] = '\0';
        return GS_TYPE_OBJECT + GS_TYPE_ARRAY;
    }
    return GS_TYPE_OBJECT;
}

std::string GSCompiler::FlagsText(uint32_t flags) {
    std::string text;
    for (const SpecifierWord& word : kSpecifierWords)
        if (flags & word.bit) text += word.text;
    return text;
}

bool GSCompiler::SameType(int32_t type1, const char* class1, int32_t type2, const char* class2) {
    if ((type1 == GS_TYPE_NULL && type2 == GS_TYPE_OBJECT) || (type1 == GS_TYPE_OBJECT && type2 == GS_TYPE_NULL))
        return true;
    if (type1 != type2) return false;
    if (type1 != GS_TYPE_OBJECT) return true;
    if (!class1 || !class2) return class1 == class2;
    return std::strcmp(class1, class2) == 0;
}

bool GSCompiler::SameNodeType(const GSCNode* a, const GSCNode* b) {
    return SameType(a->valueType, a->className, b->valueType, b->className);
}
