// Byte code made by hand for what our compiler never writes or can hardly reach: a native
// call whose frame fits the stack exactly, so that the one result the native pushes has no
// room (the call fails with ER_StackOverflow and leaks nothing), and "new" of a game-object
// class (the compiler refuses it), whose object joins the router of the current context.
#include <gtest/gtest.h>

#include <vector>

#include "gs_runtime_test_support.h"
#include "gsl_image_builder.h"
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_game_object.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_object.h"
#include "script_runtime/gs_opcode.h"
#include "script_runtime/gs_router.h"
#include "script_runtime/gs_runtime_call.h"
#include "script_runtime/gs_thread.h"

namespace {

class GSHandMadeCallsTest : public gstest::MachineTest {
  protected:
    GSLibrary* LoadImage(const gsl::Image& image, const char* file) {
        folder_.Write(file, gsl::Image(image).Build());
        if (!machine_.AddLibrary(Kiv::PString(), folder_.Path().c_str(), file)) return nullptr;
        return machine_.GetLibrary(image.id1, image.id2);
    }
};

// "GSObject" declares the built-in native GetGSClassName and a function that calls it and
// drops the string it returns.
gsl::Image NativeCallerImage() {
    gsl::Image image;
    image.id1 = 0x301;
    image.classRefs = {{0, "GSObject"}};
    image.functionRefs = {{0, "$string@GSObject::GetGSClassName()", 0}};
    gsl::Function name;
    name.name = "$string@GSObject::GetGSClassName()";
    name.returnType = 4;
    name.flags = 0x3;
    name.code.clear();
    gsl::Function run;
    run.name = "$void@GSObject::Run()";
    run.slot = 1;
    run.depth = 1;
    run.code = {OP_LocalLoadObject, 0, 0, OP_CallNative, 0, 0, 0, 0, OP_PopObject, OP_Return};
    gsl::Class c;
    c.name = "GSObject";
    c.functions = {name, run};
    c.methods = {{0, 0}};
    image.classes = {c};
    return image;
}

TEST_F(GSHandMadeCallsTest, ANativeResultWithoutRoomFailsTheCallWithStackOverflow) {
    GSLibrary* library = LoadImage(NativeCallerImage(), "native.gsl");
    ASSERT_NE(library, nullptr);
    GSClass* gsClass = library->FindClass("GSObject");
    const GSFunction& run = gsClass->Functions()[1];
    GSContext context;
    GSObject object;
    ASSERT_TRUE(object.Attach(gsClass, &context));
    // Below the caller's frame: the fillers, `me`, the frame (4 slots); above it `me` again
    // for the call. The native's frame then needs 4 free slots: 1014 fillers leave exactly 4.
    for (const int fillers : {1013, 1014}) {
        GSThread thread(nullptr, 0);
        GSStack& stack = thread.Stack();
        for (int i = 0; i < fillers; ++i) ASSERT_TRUE(stack.PushInt(i));
        GSAddReference(object.GetInstance());
        ASSERT_TRUE(stack.PushReference(object.GetInstance(), nullptr));
        ASSERT_TRUE(stack.PushFrame(&run, 0));
        gstest::LogLines().clear();
        const GSExecResult result = thread.Execute(0.0f);
        EXPECT_EQ(result, fillers == 1013 ? ER_Done : ER_StackOverflow) << fillers;
        EXPECT_EQ(gstest::Logged("Thread Exception: ER_StackOverflow, line -1, file test.gs"), fillers == 1014);
        thread.Stack().Reset();
        EXPECT_EQ(GSInstanceOf(object.GetInstance())->ReferenceCount(), 1) << fillers;
    }
}

// B::Get(T) calls the function it overrides, A::Get(T), with its argument as the receiver:
// the view at that object's offset plus A's must be an A, not whatever fits there.
gsl::Image InheritedCallImage() {
    gsl::Image image;
    image.id1 = 0x303;
    image.classRefs = {{0, "A"}, {0, "B"}, {0, "T"}};
    gsl::Function get;
    get.name = "$int@A::Get(T)";
    get.returnType = 2;
    get.arguments = 2;
    get.objectSlots = {1};
    get.depth = 1;
    get.code = {OP_PushOne, OP_ReturnValue};
    gsl::Class a;
    a.name = "A";
    a.functions = {get};
    gsl::Function override = get;
    override.name = "$int@B::Get(T)";
    override.depth = 2;
    override.code = {OP_LocalLoadObject, 1, 0, OP_PushZero, OP_CallInherited, 0xFF, 0xFF, OP_ReturnValue};
    gsl::Class b;
    b.name = "B";
    b.ancestors = {{0, 2, 1}};
    b.instanceSlots = 7;
    b.triples = {{0, 2, -2}, {1, 3, 0}, {1, 1, 0}};
    b.functions = {override};
    gsl::Class t;
    t.name = "T";
    t.instanceSlots = 12;
    image.classes = {a, b, t};
    return image;
}

TEST_F(GSHandMadeCallsTest, AnInheritedCallOnAnotherObjectMustFindTheAncestorThere) {
    GSLibrary* library = LoadImage(InheritedCallImage(), "inherited.gsl");
    ASSERT_NE(library, nullptr);
    GSContext context;
    GSObject b;
    GSObject t;
    ASSERT_TRUE(b.Attach(library->FindClass("B"), &context));
    ASSERT_TRUE(t.Attach(library->FindClass("T"), &context));
    const GSFunction& override = library->FindClass("B")->Functions()[0];
    for (GSObject* receiver : {&b, &t}) {
        GSAddReference(receiver->GetInstance());
        const GSSlot argument = GSPointerSlot(receiver->GetInstance());
        GSSlot result{};
        const GSExecResult run = GSRuntime::RunNested(*machine_.StaticThread(), override, b.GetInstance(),
                                                      {&argument, 1}, &result);
        EXPECT_EQ(run, receiver == &b ? ER_Done : ER_IllegalInstruction);
    }
}

// "Maker::Make" creates a "GameObject" with OP_ObjectNew and returns it.
gsl::Image GameObjectMakerImage() {
    gsl::Image image;
    image.id1 = 0x302;
    image.classRefs = {{0, "GameObject"}, {0, "Maker"}};
    gsl::Class game;
    game.name = "GameObject";
    gsl::Function make;
    make.name = "$GameObject@Maker::Make()";
    make.returnType = 5;
    make.returnClass = 0;
    make.depth = 1;
    make.code = {OP_ObjectNew, 0, 0, OP_ReturnObject};
    gsl::Class maker;
    maker.name = "Maker";
    maker.functions = {make};
    image.classes = {game, maker};
    return image;
}

TEST_F(GSHandMadeCallsTest, ANewGameObjectJoinsTheRouterOfTheCurrentContext) {
    GSLibrary* library = LoadImage(GameObjectMakerImage(), "maker.gsl");
    ASSERT_NE(library, nullptr);
    GSClass* maker = library->FindClass("Maker");
    for (const bool withRouter : {true, false}) {
        GSContext context(false, withRouter ? std::make_unique<GSRouter>([] { return uint32_t{0}; }) : nullptr);
        GSObject object;
        ASSERT_TRUE(object.Attach(maker, &context));
        // A context without a router takes no script calls, so the run is started directly.
        GSSlot result{};
        const GSExecResult run = GSRuntime::RunNested(*machine_.StaticThread(), maker->Functions()[0],
                                                      object.GetInstance(), {}, &result);
        ASSERT_EQ(run, ER_Done) << withRouter;
        auto* reference = static_cast<GSSlot*>(result.p);
        GSGameObject* made = GSGameObject::FromReference(reference);
        ASSERT_NE(made, nullptr) << withRouter;
        EXPECT_EQ(made->GetRouter(), context.GetRouter()) << withRouter;
        EXPECT_EQ(made->Context(), &context) << withRouter;
        GSReleaseReference(reference);
    }
}

}  // namespace
