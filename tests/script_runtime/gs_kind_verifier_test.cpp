// The typed pass of the verifier on hand-made code: what it refuses (a value used as a
// reference or the reverse, a stack below its frame or above its declared depth, stacks that
// disagree where paths meet, a return that leaves something behind or returns the wrong
// kind, stores into the receiver slot, receiver members of the other kind) and what it
// infers of call sites from their use (nothing returned, a value, a reference, a result handed
// on to another call, a call on one side of a branch). A load that the pass refuses fails
// with -1 and names the function.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "gs_frame_test_support.h"
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_kind_verifier.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_object.h"
#include "script_runtime/gs_opcode.h"
#include "script_runtime/gs_runtime_call.h"
#include "script_runtime/gs_thread.h"

namespace {

using gstest::LogLines;

struct Snippet {
    const char* what;
    std::vector<uint8_t> code;
    bool passes;
    uint32_t returnType = 0;
    int32_t depth = 4;
};

// Frame: slot 0 the receiver, slot 1 an int local, slot 2 an object local. The receiver's
// class has a value member at slot 2 and an object member at slot 3.
bool Verify(const Snippet& snippet, GSFunction& function) {
    function = gstest::FrameFunction("$void@T::F()", 1, 2, 0, snippet.depth, {2});
    function.returnType = snippet.returnType;
    function.code = snippet.code;
    static const std::vector<GSSlotKind> members = {GS_KIND_HEADER, GS_KIND_HEADER, GS_KIND_VALUE,
                                                    GS_KIND_REFERENCE};
    return VerifyGSKinds(function, members);
}

std::vector<uint8_t> Bytes(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> bytes;
    for (const auto& part : parts) bytes.insert(bytes.end(), part.begin(), part.end());
    return bytes;
}

std::vector<uint8_t> Op(GSOpcode opcode) { return {opcode}; }
std::vector<uint8_t> Op16(GSOpcode opcode, uint16_t operand) {
    return {opcode, static_cast<uint8_t>(operand), static_cast<uint8_t>(operand >> 8)};
}
std::vector<uint8_t> Op32(GSOpcode opcode, int32_t operand) {
    const auto word = static_cast<uint32_t>(operand);
    return {opcode, static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8), static_cast<uint8_t>(word >> 16),
            static_cast<uint8_t>(word >> 24)};
}
std::vector<uint8_t> CallOp(GSOpcode opcode, int16_t k, uint16_t m = 0) {
    const auto kk = static_cast<uint16_t>(k);
    return {opcode, static_cast<uint8_t>(kk), static_cast<uint8_t>(kk >> 8), static_cast<uint8_t>(m),
            static_cast<uint8_t>(m >> 8)};
}

const std::vector<uint8_t> kMe = Op16(OP_LocalLoadObject, 0);

TEST(GSKindVerifier, RefusesKindAndDepthFaults) {
    const Snippet cases[] = {
        {"a value popped as a reference", Bytes({Op(OP_PushOne), Op(OP_PopObject), Op(OP_Return)}), false},
        {"a reference popped as a value", Bytes({kMe, Op(OP_Pop), Op(OP_Return)}), false},
        {"a reference added as an int", Bytes({kMe, Op(OP_PushOne), Op(OP_IntAdd), Op(OP_Pop), Op(OP_Return)}), false},
        {"a value as an array", Bytes({Op(OP_PushOne), Op(OP_ArraySize), Op(OP_Pop), Op(OP_Return)}), false},
        {"a pop below the frame", Bytes({Op(OP_Pop), Op(OP_Return)}), false},
        {"a push above the declared depth",
         Bytes({Op(OP_PushOne), Op(OP_PushOne), Op(OP_Pop), Op(OP_Pop), Op(OP_Return)}), false, 0, 1},
        {"the int slot loaded as a reference", Bytes({Op16(OP_LocalLoadObject, 1), Op(OP_PopObject), Op(OP_Return)}),
         false},
        {"the object slot loaded as a value", Bytes({Op16(OP_LocalLoad, 2), Op(OP_Pop), Op(OP_Return)}), false},
        {"a value stored into the object slot", Bytes({Op(OP_PushOne), Op16(OP_LocalStore, 2), Op(OP_Return)}), false},
        {"a store into the receiver slot", Bytes({kMe, Op16(OP_LocalStoreObject, 0), Op(OP_Return)}), false},
        {"a value member loaded as a reference", Bytes({Op16(OP_SelfLoadObject, 2), Op(OP_PopObject), Op(OP_Return)}),
         false},
        {"a value stored into an object member", Bytes({Op(OP_PushOne), Op16(OP_SelfStore, 3), Op(OP_Return)}), false},
        {"a duplicated reference copied as a value", Bytes({kMe, Op(OP_Dup), Op(OP_PopObject), Op(OP_PopObject),
                                                            Op(OP_Return)}),
         false},
        {"a value left at the return", Bytes({Op(OP_PushOne), Op(OP_Return)}), false},
        {"a value returned from a void function", Bytes({Op(OP_PushOne), Op(OP_ReturnValue)}), false},
        {"a reference returned as an int", Bytes({kMe, Op(OP_ReturnValue)}), false, 2},
        {"an int returned as an object", Bytes({Op(OP_PushOne), Op(OP_ReturnObject)}), false, 5},
        {"nothing returned from an int function", Bytes({Op(OP_Return)}), false, 2},
        // 0: PushOne; 1: JumpIfZero 7; 6: PushOne; 7: Return: one path arrives with a value more.
        {"stacks of two depths meet", Bytes({Op(OP_PushOne), Op32(OP_JumpIfZero, 7), Op(OP_PushOne), Op(OP_Return)}),
         false},
        // 0: PushOne; 1: JumpIfZero 12; 6: PushOne; 7: Jump 15; 12: me; 15: Pop; 16: Return.
        {"a value and a reference meet",
         Bytes({Op(OP_PushOne), Op32(OP_JumpIfZero, 12), Op(OP_PushOne), Op32(OP_Jump, 15), kMe, Op(OP_Pop),
                Op(OP_Return)}),
         false},
        {"a call on a value", Bytes({Op(OP_PushOne), CallOp(OP_Call, 0), Op(OP_Return)}), false},
        {"a call result used as a value and as a reference",
         Bytes({kMe, CallOp(OP_Call, 0), Op(OP_Dup), Op(OP_PopObject), Op(OP_Return)}), false},
        {"a call with more arguments than the stack holds", Bytes({kMe, CallOp(OP_Call, -1), Op(OP_Return)}), false},
    };
    for (const Snippet& c : cases) {
        GSFunction function;
        EXPECT_EQ(Verify(c, function), c.passes) << c.what;
    }
}

TEST(GSKindVerifier, AcceptsNullsSwapsWaitsAndMeetingZeros) {
    const Snippet cases[] = {
        {"null into the object slot", Bytes({Op(OP_PushZero), Op16(OP_LocalStoreObject, 2), Op(OP_Return)}), true},
        {"null returned as an object", Bytes({Op(OP_PushZero), Op(OP_ReturnObject)}), true, 5},
        {"a swap of a value and a reference",
         Bytes({kMe, Op(OP_PushOne), Op(OP_Swap), Op(OP_PopObject), Op(OP_Pop), Op(OP_Return)}), true},
        {"a member stored keeping the reference",
         Bytes({kMe, Op16(OP_SelfLoadObject, 3), Op16(OP_MemberStoreObjectKeep, 3), Op(OP_PopObject),
                Op(OP_Return)}),
         true},
        // 0: Wait 1 (strings 0, 0) -> 11; 11: the message stored into the object slot.
        {"a wait target receives the message",
         Bytes({{OP_Wait, 1, 0, 0, 0, 0, 0, 11, 0, 0, 0}, Op16(OP_LocalStoreObject, 2),
                Op(OP_Return)}),
         true},
        // 0: PushOne; 1: JumpIfZero 14; 6: me; 9: Jump 15; 14: PushZero; 15: PopObject.
        {"a zero meets a reference",
         Bytes({Op(OP_PushOne), Op32(OP_JumpIfZero, 14), kMe, Op32(OP_Jump, 15), Op(OP_PushZero), Op(OP_PopObject),
                Op(OP_Return)}),
         true},
    };
    for (const Snippet& c : cases) {
        GSFunction function;
        EXPECT_EQ(Verify(c, function), c.passes) << c.what;
    }
}

TEST(GSKindVerifier, InfersWhatEachCallSiteHandsOverAndExpects) {
    struct Case {
        const char* what;
        std::vector<uint8_t> code;
        uint32_t returnType;
        std::vector<GSCallShape> shapes;
    };
    const Case cases[] = {
        {"a call whose result nothing uses returns nothing", Bytes({kMe, CallOp(OP_Call, 0), Op(OP_Return)}), 0,
         {{3, GS_KIND_NOTHING, {}}}},
        {"a result popped as a reference", Bytes({kMe, CallOp(OP_Call, 0), Op(OP_PopObject), Op(OP_Return)}), 0,
         {{3, GS_KIND_REFERENCE, {}}}},
        {"a result added to an int",
         Bytes({kMe, CallOp(OP_Call, 0), Op(OP_PushOne), Op(OP_IntAdd), Op(OP_ReturnValue)}), 2,
         {{3, GS_KIND_VALUE, {}}}},
        {"a result handed on as an argument, with a null and an int",
         Bytes({kMe, kMe, CallOp(OP_CallNative, 0), Op(OP_PushZero), Op(OP_PushOne), CallOp(OP_Call, -3, 1),
                Op(OP_Return)}),
         0, {{6, GS_KIND_TAGGED, {}}, {13, GS_KIND_NOTHING, {GS_KIND_TAGGED, GS_KIND_EITHER, GS_KIND_VALUE}}}},
        // 0: PushOne; 1: JumpIfZero 14; 6: me; 9: Call; 14: Return: a statement inside an if.
        {"a call on one side of a branch",
         Bytes({Op(OP_PushOne), Op32(OP_JumpIfZero, 14), kMe, CallOp(OP_Call, 0), Op(OP_Return)}), 0,
         {{9, GS_KIND_NOTHING, {}}}},
        // 0: me; 3: Call; 8: me; 11: Call; 16: Return with the second result: the first is a
        // statement of its own.
        {"a statement call before a returned one",
         Bytes({kMe, CallOp(OP_Call, 0), kMe, CallOp(OP_Call, 0, 1), Op(OP_ReturnObject)}), 5,
         {{3, GS_KIND_NOTHING, {}}, {11, GS_KIND_REFERENCE, {}}}},
        {"a thread call leaves nothing",
         Bytes({kMe, Op(OP_PushOne), CallOp(OP_CallThread, -1), Op(OP_Return)}), 0,
         {{4, GS_KIND_NOTHING, {GS_KIND_VALUE}}}},
    };
    for (const Case& c : cases) {
        GSFunction function;
        ASSERT_TRUE(Verify({c.what, c.code, true, c.returnType}, function)) << c.what;
        ASSERT_EQ(function.callShapes.size(), c.shapes.size()) << c.what;
        for (size_t i = 0; i < c.shapes.size(); ++i) {
            EXPECT_EQ(function.callShapes[i].offset, c.shapes[i].offset) << c.what;
            EXPECT_EQ(function.callShapes[i].result, c.shapes[i].result) << c.what;
            EXPECT_EQ(function.callShapes[i].arguments, c.shapes[i].arguments) << c.what;
        }
    }
}

class GSKindVerifierLoad : public gstest::MachineTest {};

TEST_F(GSKindVerifierLoad, ARefusedFunctionFailsTheLoadAndIsNamed) {
    gsl::Image image;
    image.id1 = 7;
    image.id2 = 8;
    gsl::Class c;
    c.name = "Bad";
    gsl::Function f;
    f.name = "$void@Bad::Leak()";
    f.code = Bytes({Op(OP_PushOne), Op(OP_PopObject), Op(OP_Return)});
    f.depth = 1;
    c.functions = {f};
    image.classes = {c};
    folder_.Write("bad.gsl", image.Build());
    ASSERT_TRUE(machine_.AddLibrary(Kiv::PString(), folder_.Path().c_str(), "bad.gsl"));
    EXPECT_EQ(machine_.GetLibrary(7, 8), nullptr);
    ASSERT_EQ(LogLines().size(), 2u);
    EXPECT_EQ(LogLines()[0], "GS Link error: Unable to verify function '$void@Bad::Leak()'");
    EXPECT_EQ(LogLines()[1].rfind("GSMachine: Error -1 loading library ", 0), 0u);
}

// C derives from B, which derives from A: C must place A where B's own layout has it (B's
// view plus B's offset of A), or B's code, verified against B's layout, would reach other
// slots of a C than those C gave the kinds of.
TEST_F(GSKindVerifierLoad, AnAncestorOfAnAncestorMustLieWhereItsDescendantPutsIt) {
    for (const int32_t offsetOfA : {4, 6}) {
        gsl::Image image;
        image.id1 = static_cast<uint32_t>(0x400 + offsetOfA);
        image.classRefs = {{0, "A"}, {0, "B"}, {0, "C"}};
        gsl::Class a;
        a.name = "A";
        gsl::Class b;
        b.name = "B";
        b.ancestors = {{0, 2, 1}};
        b.instanceSlots = 7;
        b.triples = {{0, 2, -2}, {1, 3, 0}, {1, 1, 0}};
        gsl::Class c;
        c.name = "C";
        c.ancestors = {{1, 2, 1}, {0, offsetOfA, 0}};
        c.instanceSlots = 11;
        c.triples = {{0, 2, -2}, {1, 3, 0}, {0, offsetOfA, -offsetOfA}, {1, offsetOfA + 1, 0}, {1, 1, 0}};
        image.classes = {a, b, c};
        const std::string file = "nest" + std::to_string(offsetOfA) + ".gsl";
        folder_.Write(file, image.Build());
        ASSERT_TRUE(machine_.AddLibrary(Kiv::PString(), folder_.Path().c_str(), file.c_str()));
        LogLines().clear();
        EXPECT_EQ(machine_.GetLibrary(image.id1, image.id2) != nullptr, offsetOfA == 4) << offsetOfA;
        EXPECT_EQ(gstest::Logged("GS Link error: Unable to link 'C'"), offsetOfA == 6) << offsetOfA;
    }
}

// The shape a call site was verified with is held against the callee the receiver's method
// table picks at run time: an int function called where the caller pops a reference, or
// handed an int where it takes a reference, ends the run before the callee runs.
TEST_F(GSKindVerifierLoad, ACalleeThatDoesNotFitItsCallSiteEndsTheRun) {
    struct Case {
        const char* what;
        std::vector<uint8_t> code;
        GSExecResult expected;
    };
    const Case cases[] = {
        {"an int result used as an int", Bytes({kMe, CallOp(OP_Call, 0), Op(OP_Pop), Op(OP_Return)}), ER_Done},
        {"an int result popped as a reference", Bytes({kMe, CallOp(OP_Call, 0), Op(OP_PopObject), Op(OP_Return)}),
         ER_IllegalInstruction},
        {"an int result ignored", Bytes({kMe, CallOp(OP_Call, 0), Op(OP_Return)}), ER_IllegalInstruction},
        {"a reference handed where a string is taken, and a null",
         Bytes({kMe, kMe, Op(OP_PushZero), CallOp(OP_Call, -2, 1), Op(OP_Return)}), ER_Done},
        {"an int handed where a reference is taken",
         Bytes({kMe, Op(OP_PushOne), Op(OP_PushOne), CallOp(OP_Call, -2, 1), Op(OP_Return)}), ER_IllegalInstruction},
        {"an int result handed where a reference is taken",
         Bytes({kMe, kMe, CallOp(OP_Call, 0), Op(OP_PushZero), CallOp(OP_Call, -2, 1), Op(OP_Return)}),
         ER_IllegalInstruction},
        {"a reference result handed on", Bytes({kMe, kMe, CallOp(OP_Call, 0, 2), Op(OP_PushZero),
                                                CallOp(OP_Call, -2, 1), Op(OP_Return)}),
         ER_Done},
    };
    int id = 10;
    for (const Case& c : cases) {
        gsl::Image image;
        image.id1 = static_cast<uint32_t>(++id);
        image.classRefs = {{0, "T"}};
        image.functionRefs = {{0, "$int@T::Get()", 0}, {0, "$void@T::Take(T,string)", 1}, {0, "$T@T::Me()", 2}};
        gsl::Function get;
        get.name = "$int@T::Get()";
        get.returnType = 2;
        get.depth = 1;
        get.code = Bytes({Op(OP_PushOne), Op(OP_ReturnValue)});
        gsl::Function take;
        take.name = "$void@T::Take(T,string)";
        take.slot = 1;
        take.arguments = 3;
        take.objectSlots = {1, 2};
        gsl::Function me;
        me.name = "$T@T::Me()";
        me.returnType = 5;
        me.returnClass = 0;
        me.slot = 2;
        me.depth = 1;
        me.code = Bytes({kMe, Op(OP_ReturnObject)});
        gsl::Function run;
        run.name = "$void@T::Run()";
        run.slot = 3;
        run.depth = 5;
        run.code = c.code;
        gsl::Class t;
        t.name = "T";
        t.functions = {get, take, me, run};
        t.methods = {{0, 0}, {1, 0}, {2, 0}};
        image.classes = {t};
        const std::string file = "t" + std::to_string(id) + ".gsl";
        folder_.Write(file, image.Build());
        ASSERT_TRUE(machine_.AddLibrary(Kiv::PString(), folder_.Path().c_str(), file.c_str())) << c.what;
        GSLibrary* library = machine_.GetLibrary(image.id1, image.id2);
        ASSERT_NE(library, nullptr) << c.what;
        GSClass* gsClass = library->FindClass("T");
        // A failed run leaves the references on its evaluation stack to the context's end.
        GSContext context;
        GSObject object;
        ASSERT_TRUE(object.Attach(gsClass, &context)) << c.what;
        const GSExecResult result = GSRuntime::RunNested(*machine_.StaticThread(), gsClass->Functions()[3],
                                                         object.GetInstance(), {}, nullptr);
        EXPECT_EQ(result, c.expected) << c.what;
    }
}

}  // namespace
