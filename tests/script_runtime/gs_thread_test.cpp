// Script threads: the names of the run results, a new thread, the reset that clears it
// (with and without an owner), thread exceptions (the message, the stopped state, the hook
// and the game object it is told of) and the save and restore around a nested run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gs_frame_test_support.h"
#include "script_runtime/gs_exec_result.h"

namespace {

TEST(GSExecResultTest, NamesFollowTheCodes) {
    const char* const names[] = {"ER_Done",
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
                                 "ER_Timeout"};
    for (int code = 0; code <= 18; ++code) EXPECT_STREQ(GSExecResultName(code), names[code]) << code;
    EXPECT_EQ(ER_Timeout, 18);
    EXPECT_STREQ(GSExecResultName(-1), "ER_Unknown");
    EXPECT_STREQ(GSExecResultName(19), "ER_Unknown");
}

}  // namespace
