// The operators' type tables as data: operand sets are bit masks over the type codes.
#include "script_compiler/gs_operator_types.h"

#include <cstdint>

#include "script_compiler/gs_node.h"

namespace GSOperatorTypes {

namespace {

constexpr uint32_t Bit(int32_t type) { return 1u << type; }
constexpr uint64_t Op(int32_t op) { return uint64_t{1} << op; }

constexpr uint32_t kInt = Bit(GS_TYPE_INT);
constexpr uint32_t kNumber = Bit(GS_TYPE_INT) | Bit(GS_TYPE_FLOAT);
constexpr uint32_t kString = Bit(GS_TYPE_STRING);
constexpr uint32_t kNull = Bit(GS_TYPE_NULL);
constexpr uint32_t kScalar = Bit(GS_TYPE_BOOL) | kNumber | kString;
constexpr uint32_t kValueArrays = Bit(7) | Bit(8) | Bit(9) | Bit(10) | Bit(11);
constexpr uint32_t kArrays = Bit(GS_TYPE_ARRAY) | kValueArrays;
constexpr uint32_t kObjects = Bit(GS_TYPE_OBJECT) | kArrays;
constexpr uint32_t kTruth = kScalar | Bit(GS_TYPE_OBJECT) | kValueArrays;
constexpr uint32_t kSameOrNull = 0;  // right operand: the left one's type, or null

constexpr uint64_t kArithmetic = Op(GS_OP_MUL) | Op(GS_OP_DIV) | Op(GS_OP_MOD) | Op(GS_OP_SUB) | Op(GS_OP_ADD);
constexpr uint64_t kBitwise = Op(GS_OP_SHL) | Op(GS_OP_SHR) | Op(GS_OP_BIT_AND) | Op(GS_OP_BIT_XOR) | Op(GS_OP_BIT_OR);
constexpr uint64_t kComparison = Op(GS_OP_LT) | Op(GS_OP_GT) | Op(GS_OP_LTE) | Op(GS_OP_GTE) | Op(GS_OP_EQ) | Op(GS_OP_NEQ);
constexpr uint64_t kLogical = Op(GS_OP_AND) | Op(GS_OP_OR);

constexpr int32_t kNumeric = -2;  // int when both operands are int, else float

struct BinaryRow {
    uint64_t operators;
    uint32_t left;
    uint32_t right;
    int32_t result;
};

// operators, left types, right types, result
constexpr BinaryRow kBinaryRows[] = {
    {kArithmetic, kNumber, kNumber, kNumeric},
    {Op(GS_OP_ADD), kString, kScalar, GS_TYPE_STRING},
    {Op(GS_OP_ADD), Bit(GS_TYPE_BOOL) | kNumber, kString, GS_TYPE_STRING},
    {kBitwise, kInt, kInt, GS_TYPE_INT},
    {kComparison, kScalar, kScalar, GS_TYPE_BOOL},
    {kComparison, kString, kNull, GS_TYPE_BOOL},
    {kComparison, kObjects, kSameOrNull, GS_TYPE_BOOL},
    {kComparison, kNull, kString | kObjects | kNull, GS_TYPE_BOOL},
    {kLogical, kTruth, kTruth, GS_TYPE_BOOL},
};

bool In(uint32_t set, int32_t type) { return type >= 0 && type < 32 && (set & Bit(type)); }

}  // namespace

bool IsUnary(int32_t op) { return op == GS_OP_POST_DEC || op == GS_OP_POST_INC || (op >= GS_OP_PLUS && op <= GS_OP_PRE_INC); }

bool IsBinary(int32_t op) { return op >= GS_OP_MUL && op <= GS_OP_OR; }

int32_t UnaryResult(int32_t op, int32_t operand) {
    if (op == GS_OP_NOT) return In(kTruth, operand) ? GS_TYPE_BOOL : -1;
    if (op == GS_OP_COMPLEMENT) return operand == GS_TYPE_INT ? GS_TYPE_INT : -1;
    return In(kNumber, operand) ? operand : -1;
}

int32_t BinaryResult(int32_t op, int32_t left, int32_t right) {
    for (const BinaryRow& row : kBinaryRows) {
        if (!(row.operators & Op(op)) || !In(row.left, left)) continue;
        const bool rightOk = row.right == kSameOrNull ? (right == left || right == GS_TYPE_NULL) : In(row.right, right);
        if (!rightOk) continue;
        if (row.result != kNumeric) return row.result;
        return left == GS_TYPE_INT && right == GS_TYPE_INT ? GS_TYPE_INT : GS_TYPE_FLOAT;
    }
    return -1;
}

}  // namespace GSOperatorTypes
