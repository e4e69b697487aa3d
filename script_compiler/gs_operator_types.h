// The operators' type tables: which operand types each table-driven operator takes and what
// type it gives. One table for one-operand operators, one of rows for two-operand ones.
#pragma once

#include <cstdint>

namespace GSOperatorTypes {

// True for the operators the tables cover (the rest have checks of their own).
bool IsUnary(int32_t op);
bool IsBinary(int32_t op);
// The result type, or -1 when the combination is illegal.
int32_t UnaryResult(int32_t op, int32_t operand);
int32_t BinaryResult(int32_t op, int32_t left, int32_t right);

}  // namespace GSOperatorTypes
