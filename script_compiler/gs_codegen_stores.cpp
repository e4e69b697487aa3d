// Code generation of conversions and of everything that stores: assignment, the four
// increment operators, copy, and the store instruction chosen by the target (a local, a
// member, a "." access, an element or a range) and by whether the value is kept.
#include "script_compiler/gs_check_support.h"
#include "script_compiler/gs_codegen.h"
#include "script_compiler/gs_compile_context.h"
#include "script_compiler/gs_compiler.h"

namespace {

using GSCheck::IsOperator;

// A string value that another holder may still own: a variable, a member, an element, a
// call's result or a cast. Storing it stores a copy.
bool IsSharedString(const GSCNode* value) {
    if (value->valueType != GS_TYPE_STRING || value->category != GS_EXPRESSION) return false;
    if (value->kind == GS_EXPR_IDENTIFIER || value->kind == GS_EXPR_CALL) return true;
    return IsOperator(value, GS_OP_MEMBER) || IsOperator(value, GS_OP_INDEX) || IsOperator(value, GS_OP_CAST);
}

}  // namespace

bool GSCodeGenerator::EmitConversion(int32_t type, const char* className, GSCNode* value) {
    if (!GenerateExpression(value)) return false;
    const int32_t from = value->valueType;
    if (GSCompiler::SameType(type, className, from, value->className)) return true;
    switch (type) {
        case GS_TYPE_STRING:
            switch (from) {
                case GS_TYPE_BOOL: Out().EmitOp(OP_BoolToString); return true;
                case GS_TYPE_INT: Out().EmitOp(OP_IntToString); return true;
                case GS_TYPE_FLOAT: Out().EmitOp(OP_FloatToString); return true;
                case GS_TYPE_NULL: return true;
                default: return Fail("Compiler error GECTS");
            }
        case GS_TYPE_FLOAT:
            if (from == GS_TYPE_BOOL || from == GS_TYPE_INT) Out().EmitOp(OP_IntToFloat);
            return true;
        case GS_TYPE_INT:
        case GS_TYPE_BOOL:
            if (from == GS_TYPE_FLOAT) Out().EmitOp(OP_FloatToInt);
            return true;
        case GS_TYPE_OBJECT: {
            if (from != GS_TYPE_OBJECT || !className) return true;
            const int32_t reference = ClassReference(className);
            if (reference < 0) return Fail("Internal compiler error.");
            Out().EmitOpShort(OP_ObjectCast, static_cast<uint16_t>(reference));
            return true;
        }
        default: return true;
    }
}

bool GSCodeGenerator::GenerateTargetParts(GSCNode* target) {
    if (IsOperator(target, GS_OP_MEMBER)) return GenerateExpression(target->child[0]);
    if (IsOperator(target, GS_OP_INDEX)) return GenerateExpression(target->child[0]) && GenerateExpression(target->child[1]);
    if (IsOperator(target, GS_OP_RANGE))
        return GenerateExpression(target->child[0]) && GenerateBound(target->child[2]) && GenerateBound(target->child[1]);
    return true;
}

bool GSCodeGenerator::EmitStore(const GSCNode* target, bool keep) {
    const bool reference = GSCheck::IsReference(target->valueType);
    if (IsOperator(target, GS_OP_MEMBER)) {
        const uint16_t slot = static_cast<uint16_t>(target->child[1]->slot);
        const GSOpcode opcode = reference ? (keep ? OP_MemberStoreObjectKeep : OP_MemberStoreObject)
                                          : (keep ? OP_MemberStoreKeep : OP_MemberStore);
        Out().EmitOpShort(opcode, slot);
        return true;
    }
    if (IsOperator(target, GS_OP_INDEX)) {
        const int32_t arrayType = target->child[0]->valueType;
        if (arrayType == GS_TYPE_STRING) Out().EmitOp(keep ? OP_StringSetCharKeep : OP_StringSetChar);
        else if (GSCheck::HasReferenceElements(arrayType)) Out().EmitOp(keep ? OP_ArrayStoreObjectKeep : OP_ArrayStoreObject);
        else Out().EmitOp(keep ? OP_ArrayStoreKeep : OP_ArrayStore);
        return true;
    }
    if (IsOperator(target, GS_OP_RANGE)) {
        if (target->child[0]->valueType == GS_TYPE_STRING)
            Out().EmitOp(keep ? OP_StringRangeStoreKeep : OP_StringRangeStore);
        else
            Out().EmitOp(keep ? OP_ArrayRangeStoreObjectKeep : OP_ArrayRangeStoreObject);
        return true;
    }
    if (target->kind != GS_EXPR_IDENTIFIER) return Fail("Internal compiler error.");
    const uint16_t slot = static_cast<uint16_t>(target->slot);
    GSOpcode opcode;
    if (target->flags & GS_FLAG_LOCAL)
        opcode = reference ? (keep ? OP_LocalStoreObjectKeep : OP_LocalStoreObject) : (keep ? OP_LocalStoreKeep : OP_LocalStore);
    else
        opcode = reference ? (keep ? OP_SelfStoreObjectKeep : OP_SelfStoreObject) : (keep ? OP_SelfStoreKeep : OP_SelfStore);
    Out().EmitOpShort(opcode, slot);
    return true;
}

bool GSCodeGenerator::GenerateStoredValue(const GSCNode* target, GSCNode* value) {
    if (!EmitConversion(target->valueType, target->className, value)) return false;
    if (IsSharedString(value)) Out().EmitOp(OP_StringCopy);
    return true;
}

bool GSCodeGenerator::GenerateAssignment(GSCNode* node) {
    GSCNode* target = node->child[0];
    if (!GenerateTargetParts(target) || !GenerateStoredValue(target, node->child[1])) return false;
    return EmitStore(target, !(node->flags & GS_FLAG_DISCARD));
}

void GSCodeGenerator::EmitLoadForStep(const GSCNode* target) {
    if (IsOperator(target, GS_OP_MEMBER)) {
        Out().EmitOp(OP_DupObject);
        Out().EmitOpShort(OP_MemberLoad, static_cast<uint16_t>(target->child[1]->slot));
    } else if (IsOperator(target, GS_OP_INDEX)) {
        Out().EmitOp(OP_DupPair);
        Out().EmitOp(target->child[0]->valueType == GS_TYPE_STRING ? OP_StringCharAt : OP_ArrayLoad);
    } else {
        const uint16_t slot = static_cast<uint16_t>(target->slot);
        Out().EmitOpShort((target->flags & GS_FLAG_LOCAL) ? OP_LocalLoad : OP_SelfLoad, slot);
    }
}

bool GSCodeGenerator::GenerateIncrement(GSCNode* node) {
    GSCNode* target = node->child[0];
    const bool discard = node->flags & GS_FLAG_DISCARD;
    const bool postfix = node->sub == GS_OP_POST_INC || node->sub == GS_OP_POST_DEC;
    const bool variable = !IsOperator(target, GS_OP_MEMBER) && !IsOperator(target, GS_OP_INDEX);
    if (!GenerateTargetParts(target)) return false;
    EmitLoadForStep(target);
    int32_t temporary = -1;
    if (postfix && variable) {
        Out().EmitOp(OP_Dup);
    } else if (postfix && !discard) {
        temporary = AllocTemporary();
        if (temporary < 0) return Fail("Internal compiler error.");
        Out().EmitOpShort(OP_LocalStoreKeep, static_cast<uint16_t>(temporary));
    }
    const bool increment = node->sub == GS_OP_PRE_INC || node->sub == GS_OP_POST_INC;
    if (target->valueType == GS_TYPE_FLOAT)
        Out().EmitOp(increment ? OP_FloatInc : OP_FloatDec);
    else
        Out().EmitOp(increment ? OP_IntInc : OP_IntDec);
    if (!EmitStore(target, !postfix && !discard)) return false;
    if (temporary >= 0) {
        Out().EmitOpShort(OP_LocalLoad, static_cast<uint16_t>(temporary));
        FreeTemporary(temporary);
    }
    return true;
}

bool GSCodeGenerator::GenerateCopy(GSCNode* node) {
    GSCNode* target = node->child[0];
    if (!GenerateTargetParts(target) || !GenerateExpression(node->child[1])) return false;
    Out().EmitOp(node->child[1]->valueType == GS_TYPE_STRING ? OP_StringCopy : OP_ArrayCopy);
    return EmitStore(target, false);
}
