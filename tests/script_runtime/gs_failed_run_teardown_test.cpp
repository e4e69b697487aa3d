// A run that fails part-way leaves references on its evaluation stack that no frame lists
// (an array being indexed, the receiver of a call still to come). The failure must not
// leave a dangling reference behind: the objects still die with their context, once, with
// their members released, also when the failing run was nested below another function's
// call and the caller's object was deleted first.
#include <gtest/gtest.h>

#include "gs_compiled_script_support.h"

namespace {

class GSFailedRunTeardownTest : public gstest::CompiledScriptTest {};

TEST_F(GSFailedRunTeardownTest, ObjectsOfAFailedRunDieWithTheirContext) {
    ASSERT_NE(Load("walk", "class Walker\n"
                           "{\n"
                           "  int[] cells = new int[0];\n"
                           "  string name = \"walker\";\n"
                           "  public string Name() { return name + 1; }\n"
                           "  public int Walk() { return cells[1] + cells[2]; }\n"
                           "  public void Set(int v) { name = Name(); }\n"
                           "  public void Both() { Set(Walk()); }\n"
                           "};\n"),
              nullptr);
    {
        GSContext context;
        auto* object = new GSObject();
        ASSERT_TRUE(object->Attach(Class("Walker"), &context));
        const auto call = [&](const char* name, GSSlot* result) {
            return GSRuntime::CallScriptFunction(&context, Class("Walker"), object->GetInstance(), name, result, {});
        };
        GSSlot result{};
        EXPECT_TRUE(call("$string@Walker::Name()", &result));
        GSReleaseReference(static_cast<GSSlot*>(result.p));
        EXPECT_FALSE(call("$int@Walker::Walk()", &result));
        EXPECT_FALSE(call("$void@Walker::Both()", nullptr));
        delete object;
    }
    EXPECT_TRUE(gstest::Logged("Thread Exception: ER_ArrayOutOfBounds, line 6, file " + folder_.Path() + "/walk.gs"));
}

}  // namespace
