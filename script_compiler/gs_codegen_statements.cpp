// Code generation of statements: returns, blocks, conditions and loops with their jumps,
// break, continue and goto through labels, switch tables and wait tables with their "on"
// handlers.
#include <algorithm>
#include <climits>

#include "script_compiler/gs_check_support.h"
#include "script_compiler/gs_codegen.h"
#include "script_compiler/gs_compile_context.h"
#include "script_compiler/gs_compiler.h"

namespace {

bool IsReferenceValue(const GSCNode* chain) {
    const GSCNode* last = GSCheck::LastOf(const_cast<GSCNode*>(chain));
    return last && GSCheck::IsReference(last->valueType);
}

int32_t CountLabels(const GSCNode* statement, int32_t kind) {
    int32_t count = 0;
    for (const GSCNode* label = statement->labelChain; label; label = label->labelChain)
        if (label->kind == kind) ++count;
    return count;
}

}  // namespace

int32_t GSCodeGenerator::BreakLabel(const GSCNode* statement) {
    const auto [it, added] = breakLabels_.try_emplace(statement, 0);
    if (added) it->second = NewLabel();
    return it->second;
}

int32_t GSCodeGenerator::ContinueLabel(const GSCNode* statement) {
    const auto [it, added] = continueLabels_.try_emplace(statement, 0);
    if (added) it->second = NewLabel();
    return it->second;
}

bool GSCodeGenerator::GenerateStatement(GSCNode* node) {
    switch (node->kind) {
        case GS_STMT_RETURN: return GenerateReturn(node);
        case GS_STMT_BLOCK: return GenerateList(node->child[0]);
        case GS_STMT_IF: return GenerateIf(node);
        case GS_STMT_WHILE: return GenerateWhile(node);
        case GS_STMT_FOR: return GenerateFor(node);
        case GS_STMT_BREAK:
            EmitJumpTo(OP_Jump, BreakLabel(node->jumpTarget), "Break", node->line);
            return true;
        case GS_STMT_CONTINUE:
            EmitJumpTo(OP_Jump, ContinueLabel(node->jumpTarget), "Continue", node->line);
            return true;
        case GS_STMT_GOTO:
            EmitJumpTo(OP_Jump, LabelByName(node->child[0]->value.text), "no matching label", node->line);
            return true;
        case GS_STMT_LABEL: return PlaceLabel(LabelByName(node->child[0]->value.text));
        case GS_STMT_SWITCH: return GenerateSwitch(node);
        case GS_STMT_CASE:
        case GS_STMT_DEFAULT: return RecordCase(node);
        case GS_STMT_WAIT: return GenerateWait(node);
        case GS_STMT_ON: return GenerateOn(node);
        default: return Fail("Internal compiler error.");
    }
}

bool GSCodeGenerator::GenerateReturn(GSCNode* node) {
    if (!node->child[0]) {
        Out().EmitOp(OP_Return);
        return true;
    }
    if (!GenerateList(node->child[0])) return false;
    Out().EmitOp(IsReferenceValue(node->child[0]) ? OP_ReturnObject : OP_ReturnValue);
    return true;
}

bool GSCodeGenerator::GenerateCondition(GSCNode* condition, uint32_t& hole) {
    if (condition) {
        if (!GenerateList(condition)) return false;
        if (IsReferenceValue(condition)) Out().EmitOp(OP_ObjectIsNotNull);
    } else {
        Out().EmitOp(OP_PushOne);
    }
    Out().EmitOpInt(OP_JumpIfZero, 0);
    hole = Out().Offset() - 4;
    return true;
}

bool GSCodeGenerator::GenerateIf(GSCNode* node) {
    uint32_t skipThen = 0;
    if (!GenerateCondition(node->child[0], skipThen) || !GenerateList(node->child[1])) return false;
    if (!node->child[2]) {
        Out().PatchInt32(skipThen, static_cast<int32_t>(Out().Offset()));
        return true;
    }
    Out().EmitOpInt(OP_Jump, 0);
    const uint32_t skipElse = Out().Offset() - 4;
    Out().PatchInt32(skipThen, static_cast<int32_t>(Out().Offset()));
    if (!GenerateList(node->child[2])) return false;
    Out().PatchInt32(skipElse, static_cast<int32_t>(Out().Offset()));
    return true;
}

bool GSCodeGenerator::GenerateWhile(GSCNode* node) {
    const uint32_t start = Out().Offset();
    if (!PlaceLabel(ContinueLabel(node))) return false;
    uint32_t exit = 0;
    if (!GenerateCondition(node->child[0], exit) || !GenerateList(node->child[1])) return false;
    Out().EmitOpInt(OP_Jump, static_cast<int32_t>(start));
    Out().PatchInt32(exit, static_cast<int32_t>(Out().Offset()));
    return PlaceLabel(BreakLabel(node));
}

bool GSCodeGenerator::GenerateFor(GSCNode* node) {
    if (!GenerateList(node->child[0])) return false;
    const uint32_t start = Out().Offset();
    uint32_t exit = 0;
    if (!GenerateCondition(node->child[1], exit) || !GenerateList(node->child[2])) return false;
    if (!PlaceLabel(ContinueLabel(node)) || !GenerateList(node->child[3])) return false;
    Out().EmitOpInt(OP_Jump, static_cast<int32_t>(start));
    Out().PatchInt32(exit, static_cast<int32_t>(Out().Offset()));
    return PlaceLabel(BreakLabel(node));
}

bool GSCodeGenerator::GenerateSwitch(GSCNode* node) {
    const int32_t breakLabel = BreakLabel(node);
    if (!GenerateList(node->child[0])) return false;
    const int32_t count = CountLabels(node, GS_STMT_CASE);
    Out().EmitOpShort(OP_Switch, static_cast<uint16_t>(count));
    const uint32_t table = Out().Offset();
    Out().EmitHole(static_cast<uint32_t>(count) * 8 + 4);
    GSSwitchRecord record{node, {}, false, 0};
    switches_.push_back(&record);
    const bool generated = GenerateList(node->child[1]);
    switches_.pop_back();
    if (!generated) return false;
    if (record.cases.size() != static_cast<size_t>(count)) return Fail("Internal compiler error.");
    const uint32_t end = Out().Offset();
    for (size_t i = 0; i < record.cases.size(); ++i) {
        Out().PatchInt32(table + 4 * static_cast<uint32_t>(i), record.cases[i].first);
        Out().PatchInt32(table + 4 * static_cast<uint32_t>(count + i), static_cast<int32_t>(record.cases[i].second));
    }
    Out().PatchInt32(table + 8 * static_cast<uint32_t>(count), static_cast<int32_t>(record.hasDefault ? record.defaultOffset : end));
    return PlaceLabel(breakLabel);
}

bool GSCodeGenerator::RecordCase(GSCNode* node) {
    const auto found = std::find_if(switches_.rbegin(), switches_.rend(),
                                    [node](const GSSwitchRecord* record) { return record->statement == node->jumpTarget; });
    if (found == switches_.rend()) return Fail("Internal compiler error.");
    GSSwitchRecord& record = **found;
    const uint32_t offset = Out().Offset();
    if (node->kind == GS_STMT_DEFAULT) {
        record.hasDefault = true;
        record.defaultOffset = offset;
        return true;
    }
    const int32_t value = node->child[0]->value.integer;
    auto at = std::lower_bound(record.cases.begin(), record.cases.end(), value,
                               [](const std::pair<int32_t, uint32_t>& entry, int32_t v) { return entry.first < v; });
    if (at != record.cases.end() && at->first == value)
        return FailAt(node->line, "case has duplicate value, line %d", node->line);
    record.cases.insert(at, {value, offset});
    return true;
}

bool GSCodeGenerator::GenerateWait(GSCNode* node) {
    if (!PlaceLabel(ContinueLabel(node))) return false;
    const int32_t breakLabel = BreakLabel(node);
    const int32_t count = CountLabels(node, GS_STMT_ON);
    Out().EmitOpShort(OP_Wait, static_cast<uint16_t>(count));
    const uint32_t table = Out().Offset();
    Out().EmitHole(static_cast<uint32_t>(count) * 8);
    GSWaitRecord record{node, breakLabel, {}, {}};
    waits_.push_back(&record);
    const bool generated = GenerateList(node->child[0]);
    waits_.pop_back();
    if (!generated) return false;
    if (record.offsets.size() != static_cast<size_t>(count)) return Fail("Internal compiler error.");
    for (size_t i = 0; i < record.names.size(); ++i) Out().PatchUInt16(table + 2 * static_cast<uint32_t>(i), record.names[i]);
    for (size_t i = 0; i < record.offsets.size(); ++i)
        Out().PatchInt32(table + 4 * static_cast<uint32_t>(count + i), static_cast<int32_t>(record.offsets[i]));
    return PlaceLabel(breakLabel);
}

bool GSCodeGenerator::GenerateOn(GSCNode* node) {
    const int32_t major = GSCompiler::InternLibraryString(node->child[0]->value.text, context_);
    const int32_t minor = GSCompiler::InternLibraryString(node->child[1]->value.text, context_);
    if (major < 0 || minor < 0) return Fail("Internal compiler error.");
    const auto found = std::find_if(waits_.rbegin(), waits_.rend(),
                                    [node](const GSWaitRecord* record) { return record->statement == node->jumpTarget; });
    if (node->jumpTarget && found != waits_.rend()) {
        GSWaitRecord& record = **found;
        if (!record.offsets.empty()) EmitJumpTo(OP_Jump, record.breakLabel, "Break", node->line);
        record.offsets.push_back(Out().Offset());
        record.names.push_back(static_cast<uint16_t>(major));
        record.names.push_back(static_cast<uint16_t>(minor));
    } else {
        Out().EmitOpShort(OP_Wait, 1);
        Out().EmitHole(8);
        const uint32_t end = Out().Offset();
        Out().PatchUInt16(end - 8, static_cast<uint16_t>(major));
        Out().PatchUInt16(end - 6, static_cast<uint16_t>(minor));
        Out().PatchInt32(end - 4, static_cast<int32_t>(end));
    }
    Out().AdjustDepth(1);
    if (!node->child[2]) {
        Out().EmitOp(OP_PopObject);
        return true;
    }
    return StoreMessage(node->child[2]);
}

bool GSCodeGenerator::StoreMessage(GSCNode* variable) {
    const bool access = variable->category == GS_EXPRESSION && variable->kind == GS_EXPR_OPERATOR &&
                        (variable->sub == GS_OP_MEMBER || variable->sub == GS_OP_INDEX || variable->sub == GS_OP_RANGE);
    if (access) {
        const int32_t temporary = AllocTemporary();
        if (temporary < 0) return Fail("Internal compiler error.");
        Out().EmitOpShort(OP_LocalStore, static_cast<uint16_t>(temporary));
        if (!GenerateTargetParts(variable)) return false;
        Out().EmitOpShort(OP_LocalLoad, static_cast<uint16_t>(temporary));
        FreeTemporary(temporary);
    }
    if (variable->className) {
        const int32_t reference = ClassReference(variable->className);
        if (reference < 0) return Fail("Internal compiler error.");
        Out().EmitOpShort(OP_ObjectCast, static_cast<uint16_t>(reference));
    }
    return EmitStore(variable, false);
}
