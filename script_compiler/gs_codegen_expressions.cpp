// Code generation of expressions that leave a value: constants, names, "me", member access,
// calls, the unary, arithmetic, bitwise, comparison and logical operators, indexing, ranges,
// size, isclass and new. The operators that store are in gs_codegen_stores.cpp.
#include <string_view>

#include "script_compiler/gs_check_support.h"
#include "script_compiler/gs_codegen.h"
#include "script_compiler/gs_compile_context.h"
#include "script_compiler/gs_compiler.h"

namespace {

using GSCheck::IsOperator;

bool IsObjectOrArray(int32_t type) { return type == GS_TYPE_OBJECT || GSCheck::IsArrayType(type); }

}  // namespace

bool GSCodeGenerator::GenerateExpression(GSCNode* node) {
    switch (node->kind) {
        case GS_EXPR_CONSTANT: return GenerateConstant(node);
        case GS_EXPR_IDENTIFIER: return GenerateIdentifier(node);
        case GS_EXPR_ME:
            Out().EmitOpShort(OP_LocalLoadObject, 0);
            return true;
        case GS_EXPR_NULL:
            Out().EmitOp(OP_PushZero);
            return true;
        case GS_EXPR_CALL: return GenerateCall(node);
        case GS_EXPR_OPERATOR: return GenerateOperator(node);
        case GS_EXPR_SEQUENCE: return GenerateSequence(node);
        default: return Fail("Internal compiler error.");
    }
}

// Every element in order, each but the last leaving no value; a sequence whose own value is
// discarded leaves none either, as its elements did when they stood in a statement.
bool GSCodeGenerator::GenerateSequence(GSCNode* node) {
    if (node->flags & GS_FLAG_DISCARD) GSLastOf(node->child[0])->flags |= GS_FLAG_DISCARD;
    return GenerateList(node->child[0]);
}

bool GSCodeGenerator::GenerateConstant(const GSCNode* node) {
    switch (node->sub) {
        case GS_CONST_BOOL:
            if (node->value.integer != 0 && node->value.integer != 1) return Fail("Compiler error GEC");
            [[fallthrough]];
        case GS_CONST_INT:
            if (node->value.integer == 0)
                Out().EmitOp(OP_PushZero);
            else if (node->value.integer == 1)
                Out().EmitOp(OP_PushOne);
            else
                Out().EmitOpInt(OP_PushInt, node->value.integer);
            return true;
        case GS_CONST_FLOAT:
            Out().EmitFloat(node->value.real);
            return true;
        case GS_CONST_STRING: {
            const int32_t index = GSCompiler::InternLibraryString(node->value.text, context_);
            if (index < 0) return Fail("Internal compiler error.");
            Out().EmitOpShort(OP_StringConst, static_cast<uint16_t>(index));
            return true;
        }
        default: return Fail("Compiler error GEC");
    }
}

bool GSCodeGenerator::GenerateIdentifier(const GSCNode* node) {
    if (node->flags & GS_FLAG_STATIC) {
        const int32_t reference = ClassReference(node->className);
        if (reference < 0) return Fail("Internal compiler error.");
        Out().EmitOpShort(OP_ObjectStatic, static_cast<uint16_t>(reference));
        return true;
    }
    const bool reference = GSCheck::IsReference(node->valueType);
    const uint16_t slot = static_cast<uint16_t>(node->slot);
    if (node->flags & GS_FLAG_LOCAL)
        Out().EmitOpShort(reference ? OP_LocalLoadObject : OP_LocalLoad, slot);
    else
        Out().EmitOpShort(reference ? OP_SelfLoadObject : OP_SelfLoad, slot);
    return true;
}

bool GSCodeGenerator::GenerateCall(GSCNode* node) {
    GSCNode* callee = node->child[0];
    if (IsOperator(callee, GS_OP_MEMBER)) {
        if (!GenerateExpression(callee->child[0])) return false;
    } else {
        Out().EmitOpShort(OP_LocalLoadObject, 0);
    }
    if (!GenerateList(node->child[1])) return false;
    const int16_t k = static_cast<int16_t>(1 - node->argumentSlots);
    const bool inherited = callee->kind == GS_EXPR_IDENTIFIER && std::string_view(callee->value.text) == "inherited";
    if (inherited) {
        Out().EmitOpShort(OP_CallInherited, static_cast<uint16_t>(k));
    } else {
        const GSOpcode opcode = (node->flags & GS_FLAG_NATIVE)   ? OP_CallNative
                                : (node->flags & GS_FLAG_THREAD) ? OP_CallThread
                                                                 : OP_Call;
        Out().EmitOpShort2(opcode, static_cast<uint16_t>(k), static_cast<uint16_t>(node->slot));
    }
    Out().AdjustDepth((node->valueType != GS_TYPE_VOID ? 1 : 0) - node->argumentSlots);
    return true;
}

bool GSCodeGenerator::GenerateOperator(GSCNode* node) {
    switch (node->sub) {
        case GS_OP_PLUS:
        case GS_OP_NEGATE:
        case GS_OP_NOT:
        case GS_OP_COMPLEMENT: return GenerateUnary(node);
        case GS_OP_MUL:
        case GS_OP_DIV:
        case GS_OP_MOD:
        case GS_OP_SUB:
        case GS_OP_ADD:
        case GS_OP_SHL:
        case GS_OP_SHR:
        case GS_OP_BIT_AND:
        case GS_OP_BIT_XOR:
        case GS_OP_BIT_OR: return GenerateArithmetic(node);
        case GS_OP_LT:
        case GS_OP_GT:
        case GS_OP_LTE:
        case GS_OP_GTE:
        case GS_OP_EQ:
        case GS_OP_NEQ: return GenerateComparison(node);
        case GS_OP_AND:
        case GS_OP_OR: return GenerateLogical(node);
        case GS_OP_MEMBER: return GenerateMember(node);
        case GS_OP_INDEX: return GenerateIndex(node);
        case GS_OP_RANGE: return GenerateRange(node);
        case GS_OP_CAST:
            return EmitConversion(node->child[1]->valueType, node->child[1]->className, node->child[0]);
        case GS_OP_ASSIGN: return GenerateAssignment(node);
        case GS_OP_PRE_INC:
        case GS_OP_PRE_DEC:
        case GS_OP_POST_INC:
        case GS_OP_POST_DEC: return GenerateIncrement(node);
        case GS_OP_COPY: return GenerateCopy(node);
        case GS_OP_NEW: return GenerateNew(node);
        case GS_OP_SIZE:
            if (!GenerateExpression(node->child[0])) return false;
            Out().EmitOp(node->child[0]->valueType == GS_TYPE_STRING ? OP_StringLength : OP_ArraySize);
            return true;
        case GS_OP_ISCLASS: {
            if (!GenerateExpression(node->child[0])) return false;
            const int32_t reference = ClassReference(node->child[1]->value.text);
            if (reference < 0) return Fail("Internal compiler error.");
            Out().EmitOpShort(OP_ObjectIsA, static_cast<uint16_t>(reference));
            return true;
        }
        default: return Fail("Internal compiler error.");
    }
}

bool GSCodeGenerator::GenerateUnary(GSCNode* node) {
    const int32_t type = node->child[0]->valueType;
    if (!GenerateExpression(node->child[0])) return false;
    switch (node->sub) {
        case GS_OP_PLUS: return true;
        case GS_OP_NEGATE:
            if (type == GS_TYPE_INT) Out().EmitOp(OP_IntNeg);
            else if (type == GS_TYPE_FLOAT) Out().EmitOp(OP_FloatNeg);
            else return Fail("Compiler error GEOUM");
            return true;
        case GS_OP_COMPLEMENT:
            Out().EmitOp(OP_IntComplement);
            return true;
        default:
            Out().EmitOp(type == GS_TYPE_FLOAT ? OP_FloatNot : GSCheck::IsReference(type) ? OP_ObjectIsNull : OP_IntNot);
            return true;
    }
}

bool GSCodeGenerator::GenerateConverted(GSCNode* operand, int32_t type) {
    if (!GenerateExpression(operand)) return false;
    const int32_t from = operand->valueType;
    if (from == type) return true;
    if (type == GS_TYPE_FLOAT && (from == GS_TYPE_INT || from == GS_TYPE_BOOL)) {
        Out().EmitOp(OP_IntToFloat);
        return true;
    }
    if (type != GS_TYPE_STRING) return true;
    switch (from) {
        case GS_TYPE_BOOL: Out().EmitOp(OP_BoolToString); return true;
        case GS_TYPE_INT: Out().EmitOp(OP_IntToString); return true;
        case GS_TYPE_FLOAT: Out().EmitOp(OP_FloatToString); return true;
        case GS_TYPE_NULL: return true;
        default: return Fail("Compiler error GECTS");
    }
}

bool GSCodeGenerator::GenerateArithmetic(GSCNode* node) {
    const int32_t type = node->valueType;
    const bool widen = node->sub == GS_OP_ADD || node->sub == GS_OP_MUL || node->sub == GS_OP_DIV ||
                       node->sub == GS_OP_MOD || node->sub == GS_OP_SUB;
    const int32_t operandType = widen ? type : GS_TYPE_INT;
    if (!GenerateConverted(node->child[0], operandType) || !GenerateConverted(node->child[1], operandType)) return false;
    const bool real = type == GS_TYPE_FLOAT;
    switch (node->sub) {
        case GS_OP_MUL: Out().EmitOp(real ? OP_FloatMul : OP_IntMul); break;
        case GS_OP_DIV: Out().EmitOp(real ? OP_FloatDiv : OP_IntDiv); break;
        case GS_OP_MOD: Out().EmitOp(real ? OP_FloatMod : OP_IntMod); break;
        case GS_OP_SUB: Out().EmitOp(real ? OP_FloatSub : OP_IntSub); break;
        case GS_OP_ADD:
            Out().EmitOp(type == GS_TYPE_STRING ? OP_StringConcat : real ? OP_FloatAdd : OP_IntAdd);
            break;
        case GS_OP_SHL: Out().EmitOp(OP_IntShiftLeft); break;
        case GS_OP_SHR: Out().EmitOp(OP_IntShiftRight); break;
        case GS_OP_BIT_AND: Out().EmitOp(OP_IntAnd); break;
        case GS_OP_BIT_XOR: Out().EmitOp(OP_IntXor); break;
        default: Out().EmitOp(OP_IntOr); break;
    }
    return true;
}

bool GSCodeGenerator::GenerateComparison(GSCNode* node) {
    const int32_t left = node->child[0]->valueType;
    const int32_t right = node->child[1]->valueType;
    int32_t common = GS_TYPE_INT;
    GSOpcode compare = OP_IntCompare;
    if (left == GS_TYPE_STRING || right == GS_TYPE_STRING) {
        common = GS_TYPE_STRING;
        compare = OP_StringCompare;
    } else if (left == GS_TYPE_FLOAT || right == GS_TYPE_FLOAT) {
        common = GS_TYPE_FLOAT;
        compare = OP_FloatCompare;
    } else if (IsObjectOrArray(left) || (left == GS_TYPE_NULL && IsObjectOrArray(right))) {
        common = left;
        compare = OP_ObjectCompare;
    }
    const int32_t operandType = compare == OP_ObjectCompare || compare == OP_IntCompare ? GS_TYPE_NONE : common;
    if (operandType == GS_TYPE_NONE) {
        if (!GenerateExpression(node->child[0]) || !GenerateExpression(node->child[1])) return false;
    } else if (!GenerateConverted(node->child[0], operandType) || !GenerateConverted(node->child[1], operandType)) {
        return false;
    }
    Out().EmitOp(compare);
    switch (node->sub) {
        case GS_OP_LT: Out().EmitOp(OP_IsNegative); break;
        case GS_OP_GT: Out().EmitOp(OP_IsPositive); break;
        case GS_OP_LTE: Out().EmitOp(OP_IsNotPositive); break;
        case GS_OP_GTE: Out().EmitOp(OP_IsNotNegative); break;
        case GS_OP_EQ: Out().EmitOp(OP_IntNot); break;
        default: Out().EmitOp(OP_IntToBool); break;
    }
    return true;
}

bool GSCodeGenerator::GenerateLogical(GSCNode* node) {
    if (!GenerateExpression(node->child[0])) return false;
    if (GSCheck::IsReference(node->child[0]->valueType)) Out().EmitOp(OP_ObjectIsNotNull);
    const GSOpcode jump = node->sub == GS_OP_AND ? OP_JumpIfZeroKeep : OP_JumpIfNotZeroKeep;
    Out().EmitOpInt(jump, 0);
    const uint32_t hole = Out().Offset() - 4;
    Out().EmitOp(OP_Pop);
    if (!GenerateExpression(node->child[1])) return false;
    if (GSCheck::IsReference(node->child[1]->valueType)) Out().EmitOp(OP_ObjectIsNotNull);
    Out().PatchInt32(hole, static_cast<int32_t>(Out().Offset()));
    return true;
}

bool GSCodeGenerator::GenerateMember(GSCNode* node) {
    if (!GenerateExpression(node->child[0])) return false;
    const bool reference = GSCheck::IsReference(node->valueType);
    Out().EmitOpShort(reference ? OP_MemberLoadObject : OP_MemberLoad, static_cast<uint16_t>(node->child[1]->slot));
    return true;
}

bool GSCodeGenerator::GenerateIndex(GSCNode* node) {
    if (!GenerateExpression(node->child[0]) || !GenerateExpression(node->child[1])) return false;
    const int32_t type = node->child[0]->valueType;
    Out().EmitOp(type == GS_TYPE_STRING ? OP_StringCharAt : GSCheck::HasReferenceElements(type) ? OP_ArrayLoadObject : OP_ArrayLoad);
    return true;
}

bool GSCodeGenerator::GenerateBound(GSCNode* bound) {
    if (bound) return GenerateExpression(bound);
    Out().EmitOpInt(OP_PushInt, -1);
    return true;
}

bool GSCodeGenerator::GenerateRange(GSCNode* node) {
    if (!GenerateExpression(node->child[0]) || !GenerateBound(node->child[2]) || !GenerateBound(node->child[1]))
        return false;
    Out().EmitOp(node->child[0]->valueType == GS_TYPE_STRING ? OP_StringRange : OP_ArrayRangeObject);
    return true;
}

bool GSCodeGenerator::GenerateNew(GSCNode* node) {
    const GSCNode* type = node->child[0];
    const int32_t code = type->sub;
    if (code == GS_TYPE_STRING) {
        Out().EmitOp(OP_StringNew);
        return true;
    }
    if (code == GS_TYPE_OBJECT) {
        const int32_t reference = ClassReference(node->className);
        if (reference < 0) return Fail("Internal compiler error.");
        Out().EmitOpShort(OP_ObjectNew, static_cast<uint16_t>(reference));
        return true;
    }
    if (!GenerateList(node->child[1])) return false;
    Out().EmitOp(GSCheck::HasReferenceElements(code) ? OP_ArrayNewObject : OP_ArrayNew);
    return true;
}
