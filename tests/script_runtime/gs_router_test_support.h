// Shared pieces of the router, game-object and message tests: our own "gs.gs" (the classes
// GameObject and Message and the static class Router, written from the built-in native
// table), compiled by our compiler with a test script into a scratch folder and loaded into
// the test's machine; a context whose router runs on a test clock; game objects attached to
// classes of the test script; and native calls made on a frame built by hand.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "gs_runtime_test_support.h"
#include "script_compiler/gs_compile_log.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_include_list.h"
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_game_object.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_native_function.h"
#include "script_runtime/gs_router.h"
#include "script_runtime/gs_stack.h"
#include "script_runtime/gs_string.h"

namespace gstest {

inline const char* const kGsSource =
    "class GameObject {\n"
    "  public native void SendMessage(GameObject dst, string major, string minor);\n"
    "  public native void PostMessage(GameObject dst, string major, string minor, float seconds);\n"
    "  public native void ClearMessages(string major, string minor);\n"
    "  public native void AddHandler(GameObject target, string major, string minor, string handler);\n"
    "  public native void Sniff(GameObject target, string major, string minor, bool enable);\n"
    "  public native void Sleep(float seconds);\n"
    "  public native int GetId();\n"
    "  public native string GetName();\n"
    "  public native void Exception(string reason);\n"
    "};\n"
    "class Message {\n"
    "  public string major;\n"
    "  public string minor;\n"
    "  public GameObject src;\n"
    "  public GameObject dst;\n"
    "};\n"
    "static class Router {\n"
    "  public native GameObject GetGameObject(int id);\n"
    "  public native GameObject GetForeignGameObject(int id);\n"
    "  public native GameObject GetGameObject(string name);\n"
    "  public native void Info();\n"
    "  public native void PostMessage(int src, int dst, string major, string minor, float seconds);\n"
    "};\n";

// Milliseconds that only the test moves.
struct TestClock {
    uint32_t now = 0;
    GSRouterClock Clock() {
        return [this] { return now; };
    }
};

// A machine holding "gs.gsl" and "world.gsl" (the given script, which includes "gs.gs"),
// and a context whose router runs on the test clock.
class RouterWorld : public MachineTest {
  protected:
    explicit RouterWorld(const std::string& script = "include \"gs.gs\"\nclass Thing isclass GameObject { };\n") {
        EXPECT_EQ(Compile("gs.gs", kGsSource), 0);
        EXPECT_EQ(Compile("world.gs", script), 0);
        EXPECT_TRUE(machine_.AddLibraryFolder(Kiv::PString(folder_.Path().c_str())));
        world_ = machine_.GetLibraryByName("world.gsl");
        EXPECT_NE(world_, nullptr);
        context_ = NewContext();
    }
    ~RouterWorld() override {
        context_.reset();
        GSContext::SetCurrent(nullptr);
        GSIncludeList::Clear();
    }

    int Compile(const std::string& name, const std::string& text) {
        const std::string path = folder_.Path() + "/" + name;
        folder_.Write(name, std::vector<uint8_t>(text.begin(), text.end()));
        GSCompileLog log;
        const int errors = GSCompiler::CompileToFolder(path.c_str(), nullptr, {}, &log);
        for (std::string line; log.Take(line);) ADD_FAILURE() << name << ": " << line;
        return errors;
    }

    std::unique_ptr<GSContext> NewContext(bool crossContext = false) {
        auto context = std::make_unique<GSContext>(crossContext, std::make_unique<GSRouter>(clock_.Clock()));
        context->SetMachine(&machine_);
        return context;
    }

    GSClass* WorldClass(const char* name) { return world_ ? world_->FindClass(name) : nullptr; }
    GSRouter& Router() { return *context_->GetRouter(); }

    // A game object of the class in the context, attached to its router unless told not to.
    GSGameObject* NewGameObject(const char* className = "Thing", GSContext* context = nullptr, bool attach = true) {
        context = context ? context : context_.get();
        auto* object = new GSGameObject();
        EXPECT_TRUE(object->Attach(WorldClass(className), context)) << className;
        if (attach) {
            EXPECT_TRUE(context->GetRouter()->AddNode(object));
        }
        return object;
    }

    // A script string in the context, its one count the caller's.
    GSSlot* Text(const char* text) {
        if (!text) return nullptr;
        return (new GSString(context_.get(), text))->GetReference();
    }

    TestClock clock_;
    GSLibrary* world_ = nullptr;
    std::unique_ptr<GSContext> context_;
};

// A native call as the interpreter makes it: a frame whose slot 0 is `me` and whose
// parameters follow, entered on the stack, then the binding called. String arguments made by
// Text() keep their count in the frame; the frame is left (and its counts released) after
// the call.
class NativeCall {
  public:
    NativeCall(GSMachine& machine, const char* className, const char* signature)
        : binding_(machine.FindNative(Kiv::PString(signature), Kiv::PString(className))) {}

    // Calls with me and the argument slots; the result pushed, if any, is left in Result().
    bool Call(GSStack& stack, GSObject* me, std::vector<GSSlot> arguments, std::vector<uint32_t> objectSlots = {}) {
        function_ = GSFunction();
        function_.argumentSlots = static_cast<int32_t>(arguments.size()) + 1;
        function_.frameAdvance = 4;
        function_.argumentBase = 1 - function_.argumentSlots;
        function_.frameRecord = 1;
        function_.stackNeed = 4;
        function_.objectSlots = std::move(objectSlots);
        GSSlot* meReference = me ? me->GetInstance() : nullptr;
        GSAddReference(meReference);
        Push(stack, GSPointerSlot(meReference));
        for (GSSlot argument : arguments) Push(stack, argument);
        if (!stack.PushFrame(&function_, 0)) return false;
        GSSlot* frameTop = stack.Top();
        const bool called = binding_ && binding_->Call(me, &stack);
        result_ = stack.Top() > frameTop ? *stack.Top() : GSSlot{};
        hasResult_ = stack.Top() > frameTop;
        if (hasResult_) stack.SetTop(frameTop);
        stack.PopFrame();
        return called;
    }

    GSNativeFunction* Binding() const { return binding_; }
    bool HasResult() const { return hasResult_; }
    GSSlot Result() const { return result_; }

  private:
    static void Push(GSStack& stack, GSSlot value) {
        GSSlot* top = stack.Top() + 1;
        *top = value;
        stack.SetTop(top);
    }

    GSNativeFunction* binding_;
    GSFunction function_;
    GSSlot result_{};
    bool hasResult_ = false;
};

inline std::string StringOf(GSSlot* reference) {
    const GSScriptInstance* instance = GSInstanceOf(reference);
    const auto* string = instance ? dynamic_cast<const GSString*>(instance->NativeObject()) : nullptr;
    return string ? std::string(string->View()) : std::string("<null>");
}

}  // namespace gstest
