// GSExecResult: what one run of a script thread ends with. ER_Done and ER_Blocked are the
// normal ends; every other code is an error whose name the thread-exception line prints.
#pragma once

enum GSExecResult : int {
    ER_Done = 0,
    ER_Blocked = 1,
    ER_IllegalInstruction = 2,
    ER_DivideByZero = 3,
    ER_NullArrayReference = 4,
    ER_ArrayOutOfBounds = 5,
    ER_ArrayRangeError = 6,
    ER_NullStringReference = 7,
    ER_StringOutOfBounds = 8,
    ER_NullReference = 9,
    ER_ClassCreateError = 10,
    ER_NativeCallError = 11,
    ER_StackOverflow = 12,
    ER_NoStackFrame = 13,
    ER_ThreadError = 14,
    ER_StackReturnError = 15,
    ER_Exception = 16,
    ER_LinkError = 17,
    ER_Timeout = 18,
};

// "ER_Done" ... "ER_Timeout"; "ER_Unknown" for a value outside the enumeration.
const char* GSExecResultName(int result);
