// Test support of the semantic checks: a source parsed as "test.gs" and walked by
// GSCompiler::AnalyseTree in a fresh symbol table whose current dependency is "test.gs".
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "parse_support.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_symbol_table.h"

struct AnalysedText {
    std::unique_ptr<ParsedText> parsed;
    GSSymbolTable table;
    GSAnalyseState state;
    bool passed = false;
    std::vector<std::string> messages;
    GSCNode* Root() const { return parsed->Root(); }
};

// Parses text (which must parse), lets prepare change the tree, then analyses it as the top
// source or as an include. The log's messages are taken into `messages`.
std::unique_ptr<AnalysedText> Analyse(const std::string& text, bool include = false,
                                      const std::function<void(GSCNode*)>& prepare = {});
// Analyses a second source into the same table (a top source after an include).
bool AnalyseMore(AnalysedText& analysed, std::unique_ptr<ParsedText>& keep, const std::string& text);

// The class declaration of that name among the tree's top-level items.
GSCNode* ClassNode(GSCNode* root, const std::string& name);
// The member declaration (function or variable list) at that position in a class.
GSCNode* Member(GSCNode* classNode, int index);
// The first statement of a function definition's body.
GSCNode* FirstStatement(GSCNode* function);
GSCNode* Nth(GSCNode* chain, int index);
