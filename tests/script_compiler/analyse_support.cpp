// Parsing and analysing test sources (see analyse_support.h).
#include "analyse_support.h"

#include <gtest/gtest.h>

#include <cstring>

#include "script_compiler/compile_arena.h"

namespace {

void Attach(AnalysedText& analysed, ParsedText& parsed) {
    parsed.arena->owner = &analysed.table;
    analysed.table.arena = parsed.arena.get();
}

}  // namespace

std::unique_ptr<AnalysedText> Analyse(const std::string& text, bool include,
                                      const std::function<void(GSCNode*)>& prepare) {
    auto analysed = std::make_unique<AnalysedText>();
    analysed->parsed = ParseText(text);
    EXPECT_EQ(analysed->parsed->result, 0) << text;
    EXPECT_TRUE(analysed->parsed->messages.empty()) << text;
    Attach(*analysed, *analysed->parsed);
    GSDependentSymbol* dependency = analysed->table.NewDependency("test.gs");
    analysed->table.Add(nullptr, dependency, false);
    analysed->table.currentDependency = dependency;
    if (prepare) prepare(analysed->Root());
    analysed->state.include = include;
    analysed->passed = GSCompiler::AnalyseTree(analysed->state, analysed->Root(), *analysed->parsed->arena);
    analysed->messages = TakeMessages(analysed->parsed->log);
    return analysed;
}

bool AnalyseMore(AnalysedText& analysed, std::unique_ptr<ParsedText>& keep, const std::string& text) {
    keep = ParseText(text);
    Attach(analysed, *keep);
    analysed.table.ResetReferenceNumbers();
    analysed.state = GSAnalyseState{};
    const bool passed = GSCompiler::AnalyseTree(analysed.state, keep->Root(), *keep->arena);
    analysed.messages = TakeMessages(keep->log);
    return passed;
}

GSCNode* ClassNode(GSCNode* root, const std::string& name) {
    for (GSCNode* item = root; item; item = item->next)
        if (item->kind == GS_DECL_CLASS && name == item->child[0]->value.text) return item;
    return nullptr;
}

GSCNode* Nth(GSCNode* chain, int index) {
    while (chain && index-- > 0) chain = chain->next;
    return chain;
}

GSCNode* Member(GSCNode* classNode, int index) { return Nth(classNode->child[2], index); }

GSCNode* FirstStatement(GSCNode* function) { return function->child[3]->child[0]; }
