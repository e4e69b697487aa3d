// What the grammar's rules do (gs_parser.y): build syntax-tree nodes in the current arena
// with the scanner's current line, link lists, convert literals, and pass tokens and
// errors between the parser, the scanner and the compile log. Only the generated parser
// and the compiler's loader use these.
#pragma once

#include <cstdint>
#include <istream>

#include "script_compiler/gs_node.h"

class CompileArena;

// A `next` chain under construction: its first and last element (both null when empty).
struct GSNodeList {
    GSCNode* head;
    GSCNode* tail;
};

// Scans and parses input into the arena's tree, the arena and a new scanner current for
// that time: 0, or 1 after the parse error, stack overflow or scanner failure was counted
// in the arena.
int GSScanAndParse(CompileArena& arena, std::istream& input);

// Parses the current scanner's text into the current arena's tree: 0 success, 1 parse
// error, 2 parser stack overflow (the generated parser).
int GSCompilerParse();

// The parser's token source and error report. A scanner failure ends the parse as an
// error token, and is kept until GSTakeScannerError.
int GSParserLex();
void GSParserError(const char* message);
// When the last parse ended on a scanner failure: one counted error in the arena, with the
// scanner's message, and true.
bool GSTakeScannerError(CompileArena& arena);

GSCNode* GSDecl(int32_t kind, int32_t sub, GSCNode* child0 = nullptr, GSCNode* child1 = nullptr);
GSCNode* GSStmt(int32_t kind, GSCNode* child0 = nullptr, GSCNode* child1 = nullptr,
                GSCNode* child2 = nullptr);
GSCNode* GSExpr(int32_t kind, GSCNode* child0 = nullptr, GSCNode* child1 = nullptr);
GSCNode* GSOp(int32_t code, GSCNode* child0, GSCNode* child1 = nullptr, GSCNode* child2 = nullptr);

// The chain that starts at node (which may itself be a chain, or null).
GSNodeList GSListOf(GSCNode* node);
// The chain at node appended at the end of list.
GSNodeList GSAppend(GSNodeList list, GSCNode* node);
// The same for a comma expression: the element that was last gets the discard flag.
GSNodeList GSAppendDiscarding(GSNodeList list, GSCNode* node);
// A parenthesised expression: its only element, or a sequence node over a longer list, so
// that the list counts as one operand or argument.
GSCNode* GSSequence(GSNodeList list);
// Every element of the chain gets the discard flag; returns the chain.
GSCNode* GSDiscardAll(GSCNode* chain);

GSCNode* GSClass(uint32_t flags, GSCNode* name, GSCNode* parents, GSCNode* members);
GSCNode* GSFunction(int32_t kind, GSCNode* type, GSCNode* name, GSCNode* parameters,
                    GSCNode* body);
GSCNode* GSFor(GSCNode* initial, GSCNode* condition, GSCNode* body, GSCNode* step);
// A label, case, default or on node followed by its statement.
GSCNode* GSLabel(GSCNode* label, GSCNode* statement);
GSCNode* GSAddFlags(GSCNode* node, uint32_t flags);
// The array type of a type node (its code plus 6).
GSCNode* GSArrayOf(GSCNode* type);
// An identifier expression turned into a name (declaration) or member-name node.
GSCNode* GSName(GSCNode* identifier);
GSCNode* GSMemberName(GSCNode* identifier);

// Nodes from the current token's text.
GSCNode* GSIdentifier();
GSCNode* GSConstant(int token);
GSCNode* GSBoolConstant(int32_t value);
GSCNode* GSIncludeName();
void GSSetRoot(GSCNode* root);
