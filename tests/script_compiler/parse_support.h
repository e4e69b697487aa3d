// Test support of the script compiler's front end: parsing a text into a fresh arena with
// a log, and a one-line text form of syntax trees that the tree tables compare with.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "script_compiler/compile_arena.h"
#include "script_compiler/gs_compile_log.h"
#include "script_compiler/gs_node.h"

struct ParsedText {
    int result = 0;
    std::unique_ptr<CompileArena> arena = std::make_unique<CompileArena>();
    GSCompileLog log;
    std::vector<std::string> messages;
    GSCNode* Root() const { return arena->root; }
};

// Scans and parses text as the source "test.gs".
std::unique_ptr<ParsedText> ParseText(const std::string& text);

// The tree as text. A node is its kind, a ":" detail (name, value, operator or type), its
// flags in braces, then its children in parentheses ("-" for an absent one, trailing absent
// ones left out). A chain of more than one element is written "[a; b; c]".
std::string DumpChain(const GSCNode* node);

// The messages of a log, oldest first (the log is emptied).
std::vector<std::string> TakeMessages(GSCompileLog& log);
