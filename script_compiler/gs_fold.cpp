// Constant folding of operators whose operands are constants. Integers fold in 32-bit two's
// complement without undefined behaviour: a zero divisor is left for run time (which raises
// its divide-by-zero error), INT_MIN / -1 gives INT_MIN and INT_MIN % -1 gives 0, shift
// counts are taken modulo 32. Two folds deliberately differ from the run-time instructions:
// a folded ">>" shifts arithmetically, and a folded "!" of -0.0 is true.
#include <climits>
#include <cmath>

#include "script_compiler/gs_check_support.h"
#include "script_compiler/gs_compiler.h"

namespace {

GSCValue IntValue(int32_t v) {
    GSCValue value{};
    value.integer = v;
    return value;
}

GSCValue FloatValue(float v) {
    GSCValue value{};
    value.real = v;
    return value;
}

bool IsComparison(int32_t op) { return op >= GS_OP_LT && op <= GS_OP_NEQ; }

// Raw 32-bit truth of a constant: a text is a non-null pointer.
bool RawTrue(const GSCNode* node) {
    if (node->sub == GS_CONST_STRING) return node->value.text != nullptr;
    return node->value.integer != 0;
}

float AsFloat(const GSCNode* node) {
    return node->sub == GS_CONST_FLOAT ? node->value.real : static_cast<float>(node->value.integer);
}

bool Compare(int32_t op, auto a, auto b) {
    switch (op) {
        case GS_OP_LT: return a < b;
        case GS_OP_GT: return a > b;
        case GS_OP_LTE: return a <= b;
        case GS_OP_GTE: return a >= b;
        case GS_OP_EQ: return a == b;
        default: return a != b;  // true when unordered
    }
}

// Integer operators; false for a zero divisor, which is left for run time.
bool FoldInt(int32_t op, int32_t a, int32_t b, int32_t& result) {
    const uint32_t ua = static_cast<uint32_t>(a);
    const uint32_t ub = static_cast<uint32_t>(b);
    switch (op) {
        case GS_OP_MUL: result = static_cast<int32_t>(ua * ub); return true;
        case GS_OP_ADD: result = static_cast<int32_t>(ua + ub); return true;
        case GS_OP_SUB: result = static_cast<int32_t>(ua - ub); return true;
        case GS_OP_DIV:
            if (b == 0) return false;
            result = (a == INT_MIN && b == -1) ? INT_MIN : a / b;
            return true;
        case GS_OP_MOD:
            if (b == 0) return false;
            result = (a == INT_MIN && b == -1) ? 0 : a % b;
            return true;
        case GS_OP_SHL: result = static_cast<int32_t>(ua << (ub & 31)); return true;
        case GS_OP_SHR: result = a >> (ub & 31); return true;
        case GS_OP_BIT_AND: result = static_cast<int32_t>(ua & ub); return true;
        case GS_OP_BIT_XOR: result = static_cast<int32_t>(ua ^ ub); return true;
        case GS_OP_BIT_OR: result = static_cast<int32_t>(ua | ub); return true;
        default: return false;
    }
}

bool FoldFloat(int32_t op, float a, float b, float& result) {
    switch (op) {
        case GS_OP_MUL: result = a * b; return true;
        case GS_OP_DIV: result = a / b; return true;
        case GS_OP_MOD: result = std::fmod(a, b); return true;
        case GS_OP_ADD: result = a + b; return true;
        case GS_OP_SUB: result = a - b; return true;
        default: return false;
    }
}

}  // namespace

bool GSCompiler::FoldBinary(GSCNode* node) {
    const GSCNode* left = node->child[0];
    const GSCNode* right = node->child[1];
    const int32_t op = node->sub;
    if (op == GS_OP_AND || op == GS_OP_OR) {
        const bool truth = op == GS_OP_AND ? RawTrue(left) && RawTrue(right) : RawTrue(left) || RawTrue(right);
        GSCheck::MakeConstant(node, GS_CONST_BOOL, IntValue(truth ? 1 : 0));
        return true;
    }
    if (left->sub == GS_CONST_STRING || right->sub == GS_CONST_STRING) return false;
    if (left->sub == GS_CONST_FLOAT || right->sub == GS_CONST_FLOAT) {
        const float a = AsFloat(left);
        const float b = AsFloat(right);
        if (IsComparison(op)) {
            GSCheck::MakeConstant(node, GS_CONST_BOOL, IntValue(Compare(op, a, b) ? 1 : 0));
            return true;
        }
        float result = 0;
        if (!FoldFloat(op, a, b, result)) return false;
        GSCheck::MakeConstant(node, GS_CONST_FLOAT, FloatValue(result));
        return true;
    }
    const int32_t a = left->value.integer;
    const int32_t b = right->value.integer;
    if (IsComparison(op)) {
        GSCheck::MakeConstant(node, GS_CONST_BOOL, IntValue(Compare(op, a, b) ? 1 : 0));
        return true;
    }
    int32_t result = 0;
    if (!FoldInt(op, a, b, result)) return false;
    GSCheck::MakeConstant(node, GS_CONST_INT, IntValue(result));
    return true;
}

bool GSCompiler::FoldUnary(GSCNode* node) {
    const GSCNode* operand = node->child[0];
    const bool real = operand->sub == GS_CONST_FLOAT;
    if (operand->sub == GS_CONST_STRING) return false;
    switch (node->sub) {
        case GS_OP_PLUS:
            GSCheck::MakeConstant(node, operand->sub, operand->value);
            return true;
        case GS_OP_NEGATE:
            if (real)
                GSCheck::MakeConstant(node, GS_CONST_FLOAT, FloatValue(-operand->value.real));
            else
                GSCheck::MakeConstant(node, operand->sub,
                                      IntValue(static_cast<int32_t>(0u - static_cast<uint32_t>(operand->value.integer))));
            return true;
        case GS_OP_COMPLEMENT:
            if (real) return false;
            GSCheck::MakeConstant(node, GS_CONST_INT, IntValue(static_cast<int32_t>(~static_cast<uint32_t>(operand->value.integer))));
            return true;
        case GS_OP_NOT: {
            const bool zero = real ? operand->value.real == 0.0f : operand->value.integer == 0;
            GSCheck::MakeConstant(node, GS_CONST_BOOL, IntValue(zero ? 1 : 0));
            return true;
        }
        default: return false;
    }
}
