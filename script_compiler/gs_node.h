// GSCNode: one node of the syntax tree that the parser builds for a source file. Nodes live
// in the source's CompileArena and are never freed singly. A node is a declaration, a
// statement or an expression (category); its kind, sub code, children and `next` chain have
// one fixed meaning per kind (the enums below), which the checks and the code generator walk.
// Lists (declarations, statements, parameters, arguments, ...) are `next` chains in source
// order.
#pragma once

#include <cstdint>

class GSFunctionSymbol;

enum GSCategory : int32_t { GS_DECLARATION = 0, GS_STATEMENT = 1, GS_EXPRESSION = 2 };

enum GSDeclarationKind : int32_t {
    GS_DECL_FUNCTION = 0,   // child 0 return type, 1 name, 2 first parameter, 3 body block
    GS_DECL_PROTOTYPE = 1,  // child 0 return type, 1 name, 2 first parameter
    GS_DECL_INCLUDE = 2,    // child 0 name node holding the lower-cased file name
    GS_DECL_CLASS = 3,      // child 0 name, 1 first parent name, 2 first member declaration
    GS_DECL_VARIABLES = 4,  // child 0 type, 1 first declarator
    GS_DECL_DECLARATOR = 5, // child 0 name, 1 initial value
    GS_DECL_TYPE = 6,       // sub the type code; child 0 the class name for codes 5 and 11
    GS_DECL_PARAMETER = 7,  // child 0 type, 1 name
    GS_DECL_NAME = 8,       // value the text
};

enum GSStatementKind : int32_t {
    GS_STMT_RETURN = 0,    // child 0 the value (may be null)
    GS_STMT_BREAK = 1,
    GS_STMT_CONTINUE = 2,
    GS_STMT_GOTO = 3,      // child 0 the label name
    GS_STMT_FOR = 4,       // child 0 initial, 1 condition, 2 body, 3 step
    GS_STMT_WHILE = 5,     // child 0 condition, 1 body
    GS_STMT_SWITCH = 6,    // child 0 selector, 1 body block
    GS_STMT_IF = 7,        // child 0 condition, 1 then, 2 else
    GS_STMT_DEFAULT = 8,   // next the labelled statement
    GS_STMT_CASE = 9,      // child 0 the constant; next the labelled statement
    GS_STMT_LABEL = 10,    // child 0 the name; next the labelled statement
    GS_STMT_BLOCK = 11,    // child 0 first statement
    GS_STMT_WAIT = 12,     // child 0 the block of "on" labels
    GS_STMT_ON = 13,       // child 0 major, 1 minor, 2 message variable; next the statement
};

enum GSExpressionKind : int32_t {
    GS_EXPR_OPERATOR = 0,  // sub the operator code
    GS_EXPR_CONSTANT = 1,  // sub the constant type; value the constant
    GS_EXPR_IDENTIFIER = 2,
    GS_EXPR_CALL = 3,      // child 0 the called expression, 1 first argument
    GS_EXPR_MEMBER = 4,    // child 1 of the "." operator
    GS_EXPR_ME = 5,
    GS_EXPR_NULL = 6,
    GS_EXPR_SEQUENCE = 7,  // a parenthesised comma list: child 0 its first element; typed by its last
};

enum GSConstantType : int32_t { GS_CONST_BOOL = 0, GS_CONST_INT = 1, GS_CONST_FLOAT = 2, GS_CONST_STRING = 3 };

// Type codes of nodes, symbols and libraries; an array type is its base code plus 6.
enum GSTypeCode : int32_t {
    GS_TYPE_VOID = 0, GS_TYPE_BOOL, GS_TYPE_INT, GS_TYPE_FLOAT, GS_TYPE_STRING, GS_TYPE_OBJECT,
    GS_TYPE_ARRAY = 6,
    GS_TYPE_NONE = 12,
    GS_TYPE_NULL = 13,
};

// Operator codes (sub of an operator node); GSOperatorName gives their display names.
enum GSOperator : int32_t {
    GS_OP_POST_DEC = 0, GS_OP_POST_INC, GS_OP_MEMBER, GS_OP_PLUS, GS_OP_NEGATE, GS_OP_NOT,
    GS_OP_COMPLEMENT, GS_OP_PRE_DEC, GS_OP_PRE_INC, GS_OP_RANGE, GS_OP_INDEX, GS_OP_CAST,
    GS_OP_MUL, GS_OP_DIV, GS_OP_MOD, GS_OP_ADD, GS_OP_SUB, GS_OP_SHL, GS_OP_SHR, GS_OP_LT,
    GS_OP_GT, GS_OP_LTE, GS_OP_GTE, GS_OP_EQ, GS_OP_NEQ, GS_OP_BIT_AND, GS_OP_BIT_XOR,
    GS_OP_BIT_OR, GS_OP_AND, GS_OP_OR, GS_OP_ASSIGN, GS_OP_SIZE, GS_OP_ISCLASS, GS_OP_COPY,
    GS_OP_NEW,
};

// Flags: declaration specifiers, the parser's marks on lists, bodies and expressions, and
// the marks the checks leave for code generation.
enum GSNodeFlag : uint32_t {
    GS_FLAG_PUBLIC = 0x1,
    GS_FLAG_NATIVE = 0x2,
    GS_FLAG_STATIC = 0x4,
    GS_FLAG_FINAL = 0x8,
    GS_FLAG_THREAD = 0x10,
    GS_FLAG_GAME = 0x40,
    GS_FLAG_DEFINE = 0x80,
    GS_FLAG_SECURED = 0x100,
    GS_FLAG_HAS_DEFAULT = 1u << 22,  // switch that has a default label
    GS_FLAG_MEMBER = 1u << 26,   // variable list that declares class members
    GS_FLAG_BODY = 1u << 27,     // block that is a function body
    GS_FLAG_DISCARD = 1u << 28,  // expression whose value is not used
    GS_FLAG_MEMBER_CALL = 1u << 29,  // call whose callee is reached through "."
    GS_FLAG_LVALUE = 1u << 30,       // expression that can be assigned to
    GS_FLAG_LOCAL = 1u << 31,        // identifier of a parameter or local (a frame slot)
};

union GSCValue {
    const char* text;  // identifiers, names, string constants (in the arena's string frames)
    int32_t integer;   // int, character and bool constants
    float real;        // float constants
};

struct GSCNode {
    GSCNode* child[4];
    GSCNode* next;
    GSCNode* backLink;  // set by the checks: the node the walk came from (parent or previous)
    GSCNode* parent;    // set by the checks: the node whose child list holds this one
    int32_t category;
    GSCValue value;
    int32_t kind;
    int32_t sub;   // operator, type or constant code; -1 when none
    int32_t line;  // the scanner's line when the node was built
    uint32_t flags;
    // Set by the semantic checks: the value type and, for object types, the class name.
    int32_t valueType;
    const char* className;
    // A variable's slot, an argument slot or a called function's method-table index; -1 none.
    int16_t slot;
    int32_t argumentSlots;  // calls: the callee's argument slots (arguments plus one)
    // break and continue: the statement they leave; case, default and on: their switch or wait.
    GSCNode* jumpTarget;
    // switch and wait: their newest label; a label: the label linked before it.
    GSCNode* labelChain;
    // Set by the checks on a function or prototype: the symbol it declared or completed.
    GSFunctionSymbol* function;
};

// The last element of a chain (the value of a comma expression); null for null.
GSCNode* GSLastOf(GSCNode* node);

// "void" ... "null" for codes 0 to 13, "illegal type" for any other.
const char* GSTypeName(int32_t code);
// "--", "++", "." ... "new" for codes 0 to 34, "" for any other.
const char* GSOperatorName(int32_t code);
