// The semantic walk: an explicit stack of 128 (node, state) entries over a source's tree,
// a pre-visit that declares and opens scopes, a post-visit that checks each node after its
// children. In an include only pre-visits run, and none inside a function, so an include
// makes its classes and members known without its bodies being checked.
#include <cstddef>

#include "script_compiler/compile_arena.h"
#include "script_compiler/gs_check_support.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_symbol_table.h"

namespace {

constexpr int kWalkEntries = 128;

struct WalkEntry {
    GSCNode* node;
    bool post;
};

class Walk {
  public:
    bool Push(GSCNode* node, bool post, GSCNode* from) {
        if (count_ == kWalkEntries) return false;
        if (node) node->backLink = from;
        entries_[count_++] = {node, post};
        return true;
    }
    WalkEntry Pop() { return entries_[--count_]; }
    bool Empty() const { return count_ == 0; }

  private:
    WalkEntry entries_[kWalkEntries];
    int count_ = 0;
};

// An ended walk closes the scopes it opened, so the next source starts at its own level.
bool Abandon(GSAnalyseState& state, int32_t level) {
    while (state.table->Level() > level) state.table->CloseScope();
    return false;
}

bool Overflow(GSAnalyseState& state, int32_t level) {
    GSCompiler::Message(*state.arena, "Stack overflow; code nested too deep.");
    ++state.arena->errorCount;
    return Abandon(state, level);
}

// Post state and children 3, 2, 1, 0 (child 0 on top); false when the stack is full.
bool PushChildren(Walk& walk, GSCNode* node) {
    if (!walk.Push(node, true, node->backLink)) return false;
    for (int i = 3; i >= 0; --i)
        if (node->child[i] && !walk.Push(node->child[i], false, node)) return false;
    return true;
}

}  // namespace

bool GSCompiler::AnalyseTree(GSAnalyseState& state, GSCNode* first, CompileArena& arena) {
    state.arena = &arena;
    state.table = arena.owner;
    const int32_t level = state.table->Level();
    bool passed = true;
    Walk walk;
    walk.Push(first, false, first ? first->backLink : nullptr);
    while (!walk.Empty()) {
        const WalkEntry entry = walk.Pop();
        GSCNode* node = entry.node;
        if (!node) continue;
        if (!entry.post) {
            if (!(state.include && state.function) && !PreVisit(state, node)) passed = false;
            if (state.skip) {
                state.skip = false;
                walk.Push(node->next, false, node);
            } else if (!PushChildren(walk, node)) {
                return Overflow(state, level);
            }
        } else {
            if (!state.include && !PostVisit(state, node)) passed = false;
            walk.Push(node->next, false, node);
        }
        if (state.abort) return Abandon(state, level);
    }
    return passed;
}

bool GSCompiler::PreVisit(GSAnalyseState& state, GSCNode* node) {
    switch (node->category) {
        case GS_DECLARATION:
            if (node->kind == GS_DECL_CLASS) return DeclareClass(state, node);
            if (node->kind == GS_DECL_FUNCTION || node->kind == GS_DECL_PROTOTYPE)
                return DeclareFunction(state, node);
            if (node->kind == GS_DECL_VARIABLES) return DeclareVariables(state, node);
            return true;
        case GS_STATEMENT:
            if (node->kind != GS_STMT_BLOCK || (node->flags & GS_FLAG_BODY)) return true;
            if (state.table->OpenScope()) return true;
            // A deeper block would share its parent's level and free the parent's locals.
            state.abort = true;
            return GSCheck::Fail(state, node, "Stack overflow; code nested too deep.");
        case GS_EXPRESSION:
            return true;
        default:
            return GSCheck::Fail(state, node, "Internal compiler error.");
    }
}

bool GSCompiler::PostVisit(GSAnalyseState& state, GSCNode* node) {
    switch (node->category) {
        case GS_DECLARATION:
            switch (node->kind) {
                case GS_DECL_FUNCTION:
                    state.function = nullptr;
                    state.table->currentFunction = nullptr;
                    return true;
                case GS_DECL_CLASS:
                    state.currentClass = nullptr;
                    return true;
                case GS_DECL_DECLARATOR: return CheckDeclarator(state, node);
                case GS_DECL_TYPE:
                    node->valueType = node->sub;
                    node->className = node->child[0] ? node->child[0]->value.text : nullptr;
                    return true;
                default: return true;
            }
        case GS_STATEMENT:
            return CheckStatement(state, node);
        case GS_EXPRESSION:
            switch (node->kind) {
                case GS_EXPR_CONSTANT:
                    node->valueType = GSCheck::TypeOfConstant(node->sub);
                    return true;
                case GS_EXPR_IDENTIFIER: return CheckIdentifier(state, node);
                case GS_EXPR_CALL: return CheckCall(state, node);
                case GS_EXPR_ME: return CheckMe(state, node);
                case GS_EXPR_OPERATOR: return CheckOperator(state, node);
                case GS_EXPR_NULL:
                    node->valueType = GS_TYPE_NULL;
                    return true;
                case GS_EXPR_SEQUENCE: {
                    const GSCNode* last = GSLastOf(node->child[0]);
                    node->valueType = last->valueType;
                    node->className = last->className;
                    return true;
                }
                default: return true;
            }
        default:
            return GSCheck::Fail(state, node, "Internal compiler error.");
    }
}
