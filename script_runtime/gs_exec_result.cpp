// The names of the run results, as the thread-exception line prints them.
#include "script_runtime/gs_exec_result.h"

#include <array>
#include <cstddef>

namespace {

// Indexed by GSExecResult.
constexpr std::array<const char*, ER_Timeout + 1> kNames = {
    "ER_Done",
    "ER_Blocked",
    "ER_IllegalInstruction",
    "ER_DivideByZero",
    "ER_NullArrayReference",
    "ER_ArrayOutOfBounds",
    "ER_ArrayRangeError",
    "ER_NullStringReference",
    "ER_StringOutOfBounds",
    "ER_NullReference",
    "ER_ClassCreateError",
    "ER_NativeCallError",
    "ER_StackOverflow",
    "ER_NoStackFrame",
    "ER_ThreadError",
    "ER_StackReturnError",
    "ER_Exception",
    "ER_LinkError",
    "ER_Timeout",
};

} // namespace

const char* GSExecResultName(int result) {
    if (result < 0 || result >= static_cast<int>(kNames.size())) return "ER_Unknown";
    return kNames[static_cast<size_t>(result)];
}
