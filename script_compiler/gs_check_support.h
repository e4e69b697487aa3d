// What the semantic checks share: reporting an error at a node's line, the display name of
// a value type (a class type by its class name), the tree positions the checks ask about,
// and class lookups in the compile's symbol table.
#pragma once

#include <cstdint>
#include <string>

#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_node.h"

class GSClassSymbol;

namespace GSCheck {

constexpr uint32_t kSpecifierBits = 0x1FF;

// One counted error "<file>(<line>) : <text>" at the node's line; always false.
bool Fail(GSAnalyseState& state, const GSCNode* node, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// "int", "string[]" ...; a class type by its class name, an array of a class with "[]".
std::string TypeText(int32_t type, const char* className);

bool IsArrayType(int32_t type);    // void[] to object[]
bool IsValueArray(int32_t type);   // bool[] to object[]
bool IsReference(int32_t type);    // string, object, an array or null

// An operator node of that code.
bool IsOperator(const GSCNode* node, int32_t op);
// An array whose elements are references themselves (string[] and object[]).
bool HasReferenceElements(int32_t arrayType);
// True when node is child 0 of a call (the called expression).
bool IsCalledPart(const GSCNode* node);
// The class of that name in the global scope (numbered), or null.
GSClassSymbol* FindClass(GSAnalyseState& state, const char* name);
// Turns node into a constant expression without children.
void MakeConstant(GSCNode* node, int32_t constantType, GSCValue value);
// The value type of a constant type, and back.
int32_t TypeOfConstant(int32_t constantType);
int32_t ConstantOfType(int32_t type);

}  // namespace GSCheck
