// The native-call harness: a temporary installation built from the repository's script
// sources by the build step's own function (once per test process), a machine of the
// test's own on which the script system is set up from that installation's libraries, and
// a test script compiled by our compiler against the installed sources. Natives run
// through real script calls (GSRuntime::CallScriptFunction); a call that a native stopped
// answers false and leaves its "text (file ...)" line in the collected log. Every test ends
// with the context heap where it began.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "gs_runtime_test_support.h"
#include "script_compiler/gs_compile_log.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_include_list.h"
#include "script_natives/script_class_slots.h"
#include "script_natives/script_library_build.h"
#include "script_natives/script_system_setup.h"
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_context.h"
#include "script_runtime/gs_context_heap.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_object.h"
#include "script_runtime/gs_runtime_call.h"
#include "script_runtime/gs_string.h"

namespace nativetest {

// The installation every test reads: "scripts" and "libraries" as the build step makes them.
inline const std::string& Installation() {
    static gstest::ScratchFolder folder;
    static const bool built = [] {
        std::vector<std::string> messages;
        const int errors = BuildScriptLibraries(KODRIN_SOURCE "/script_natives/library_sources", folder.Path(), messages);
        for (const std::string& message : messages) ADD_FAILURE() << message;
        return errors == 0;
    }();
    EXPECT_TRUE(built);
    return folder.Path();
}
inline std::string InstalledLibraries() { return Installation() + "/libraries"; }
inline std::string InstalledScripts() { return Installation() + "/scripts"; }

// A machine with the script system set up from a libraries folder (the installation's
// unless a test passes its own).
class SetupTest : public gstest::MachineTest {
  protected:
    SetupTest() { ResetScriptSystem(); }
    ~SetupTest() override { ResetScriptSystem(); }

    bool SetUpScripts(const std::string& libraries = InstalledLibraries()) {
        return InitScriptSystem(machine_, libraries.c_str());
    }
    // Lines of the collected log that hold the text.
    static std::vector<std::string> LinesWith(const std::string& text) {
        std::vector<std::string> found;
        for (const std::string& line : gstest::LogLines())
            if (line.find(text) != std::string::npos) found.push_back(line);
        return found;
    }
};

// The set-up done, and a test script "test.gs" of class "Test" compiled against the
// installed sources, with one instance in the test's context (of class Context, made by
// its default constructor).
template <class Context = GSContext>
class ScriptCallTestOn : public SetupTest {
  protected:
    // Derived fixtures name their base so, whatever the context class.
    using ScriptCallTest = ScriptCallTestOn;

    void LoadScript(const std::string& source) {
        ASSERT_TRUE(SetUpScripts());
        context_.SetMachine(&machine_);
        const std::string path = folder_.Write("test.gs", std::vector<uint8_t>(source.begin(), source.end()));
        GSCompileLog log;
        const int errors = GSCompiler::CompileToFolder(path.c_str(), nullptr, {InstalledScripts()}, &log);
        for (std::string line; log.Take(line);) ADD_FAILURE() << line;
        GSIncludeList::Clear();
        ASSERT_EQ(errors, 0);
        GSLibraryId id;
        ASSERT_TRUE(machine_.AddLibrary(Kiv::PString(), folder_.Path().c_str(), "test.gsl", &id));
        GSLibrary* library = machine_.GetLibrary(id.id1, id.id2);
        ASSERT_NE(library, nullptr);
        testClass_ = library->FindClass("Test");
        ASSERT_NE(testClass_, nullptr);
        test_ = new GSObject();
        ASSERT_TRUE(test_->Attach(testClass_, &context_));
        WarmStaticClasses();
        gstest::LogLines().clear();
        heapBefore_ = GSContextNamedHeap().BytesInUse();
    }

    void TearDown() override {
        if (!test_) return;
        EXPECT_EQ(GSContextNamedHeap().BytesInUse(), heapBefore_) << "objects the calls made are gone";
        GSReleaseReference(test_->GetInstance());
    }

    // The static classes' instances stay with the context once made: made here, before the
    // heap is measured.
    void WarmStaticClasses() {
        const std::pair<const char*, const char*> statics[] = {
            {"constructors.gsl", "ConstructorsBase"}, {"htmlbuffer.gsl", "HTMLBufferStatic"}, {"linkedlist.gsl", "LinkedList"}};
        for (const auto& [file, name] : statics) {
            GSLibrary* library = machine_.GetLibraryByName(file);
            GSClass* gsClass = library ? library->FindClass(name) : nullptr;
            EXPECT_NE(gsClass ? context_.GetStaticInstance(gsClass) : nullptr, nullptr) << name;
        }
    }

    // Calls "$<result>@Test::<name>" with the arguments (their counts go to the call).
    bool Call(const std::string& signature, GSSlot* result = nullptr, std::vector<GSSlot> arguments = {}) {
        GSSlot ignored{};
        return GSRuntime::CallScriptFunction(&context_, testClass_, test_->GetInstance(), signature.c_str(),
                                             result ? result : &ignored, arguments);
    }
    int32_t CallInt(const std::string& signature, std::vector<GSSlot> arguments = {}) {
        GSSlot result{};
        EXPECT_TRUE(Call(signature, &result, std::move(arguments))) << signature << LogText();
        return result.i;
    }
    std::string CallString(const std::string& signature, std::vector<GSSlot> arguments = {}) {
        GSSlot result{};
        EXPECT_TRUE(Call(signature, &result, std::move(arguments))) << signature << LogText();
        auto* reference = static_cast<GSSlot*>(result.p);
        const GSScriptInstance* instance = GSInstanceOf(reference);
        const auto* string = instance ? dynamic_cast<const GSString*>(instance->NativeObject()) : nullptr;
        const std::string text = string ? std::string(string->View()) : std::string("<null>");
        GSReleaseReference(reference);
        return text;
    }
    // The call is stopped by a native: false, and the line logged as "line (file ...)".
    void ExpectStopped(const std::string& signature, const std::string& line, std::vector<GSSlot> arguments = {}) {
        gstest::LogLines().clear();
        EXPECT_FALSE(Call(signature, nullptr, std::move(arguments))) << signature;
        bool found = false;
        for (const std::string& logged : gstest::LogLines()) found = found || logged.rfind(line + " (file ", 0) == 0;
        EXPECT_TRUE(found) << signature << " should log: " << line << LogText();
    }
    static std::string LogText() {
        std::string text;
        for (const std::string& line : gstest::LogLines()) text += "\n  log: " + line;
        return text;
    }

    Context context_;
    GSClass* testClass_ = nullptr;
    GSObject* test_ = nullptr;
    int64_t heapBefore_ = 0;
};

using ScriptCallTest = ScriptCallTestOn<>;

inline GSSlot Int(int32_t value) { return GSIntSlot(value); }

}  // namespace nativetest

#include "gs_router_test_support.h"
#include "script_runtime/gs_interpreter_state.h"
#include "script_runtime/gs_thread.h"

namespace nativetest {

// A native called by hand on a thread of the test's own, made the current thread, so that
// argument errors stop it and reach the log. The test keeps the counts of its arguments.
struct HandCallResult {
    bool called = false;
    bool pushed = false;
    bool stopped = false;
    GSSlot value{};
};

inline HandCallResult CallByHand(GSMachine& machine, const char* className, const char* signature, GSObject* me,
                                 std::vector<GSSlot> arguments) {
    GSThread thread(nullptr, 0);
    GSThread* previous = g_gsCurrentThread;
    g_gsCurrentThread = &thread;
    gstest::NativeCall call(machine, className, signature);
    EXPECT_NE(call.Binding(), nullptr) << signature;
    HandCallResult result;
    result.called = call.Call(thread.Stack(), me, std::move(arguments));
    g_gsCurrentThread = previous;
    result.pushed = call.HasResult();
    result.value = call.Result();
    result.stopped = thread.State() == GSThread::kStopped;
    return result;
}

inline GSSlot Ref(GSObject* object) { return GSPointerSlot(object ? object->GetInstance() : nullptr); }

}  // namespace nativetest
