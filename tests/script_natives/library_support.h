// The library harness: the script system set up on the process's machine (library objects
// compile and find their classes there), a spec manager with the library-spec factory, a
// script context of the test's own, and a test library compiled from the test's source
// and registered as a shared library of its own name (the machine keeps the first library
// of a name for the process). Every test ends with no interface object left alive.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine_log_capture.h"
#include "native_script_support.h"
#include "link/kav/kav_user_data.h"
#include "script_natives/gso_library.h"
#include "script_natives/native_arguments.h"
#include "script_natives/kodrin_script_context.h"
#include "script_runtime/gs_machine.h"
#include "script_runtime/gs_router.h"
#include "validation/specs/gso_library_spec.h"
#include "validation/specs/spec_manager.h"

namespace librarytest {

// A context with a parent, a record of the icon calls ("user:content:version|text|text") and a
// safe pointer at the library added last; a shared one lets other contexts keep its objects.
class TestContext : public KodrinScriptContext {
  public:
    explicit TestContext(KodrinScriptContext* parent = nullptr, bool shared = false)
        : KodrinScriptContext(std::make_unique<GSRouter>(), ZRIAllocContext(), shared), parent_(parent) {
        SetMachine(&GSMachine::Get());
    }
    KodrinScriptContext* GetParentContext() override { return parent_; }
    void SetSystemMenuIcon(GSOLibrary*, const KUID& kuid, const Kiv::PString& first,
                           const Kiv::PString& second) override {
        icons.push_back(std::to_string(kuid.userId) + ":" + std::to_string(kuid.contentId) + ":" +
                        std::to_string(kuid.version) + "|" + first.c_str() + "|" + second.c_str());
    }
    void OnLibraryAdded(GSOLibrary* library) override { added.Set(library); }
    std::vector<std::string> icons;
    SafePointer<ScriptSource> added;  // the library added last, while it lives

  private:
    KodrinScriptContext* parent_;
};

class LibraryTest : public ::testing::Test {
  protected:
    LibraryTest() {
        gstest::LogLines().clear();
        SetGSLogHook(gstest::CollectLog);
        ResetScriptSystem();
        liveBefore_ = ZRILiveObjectCount();
    }
    ~LibraryTest() override {
        contexts_.clear();
        specs_.clear();
        manager_.Destroy();
        KAVUserData::Clear();
        ResetScriptSystem();
        EXPECT_EQ(ZRILiveObjectCount(), liveBefore_) << "every interface object is released";
        SetGSLogHook(nullptr);
    }

    // Sets up the scripts and compiles the test library "<name>.gs" from source.
    void SetUpLibrary(const std::string& name, const std::string& source,
                      const std::string& install = nativetest::Installation()) {
        libraryName_ = "/" + name + ".gsl";
        KAVUserData::SetInstallPath(Kiv::File::Path(install.c_str()));
        ASSERT_TRUE(InitScriptSystem(GSMachine::Get(), nativetest::InstalledLibraries().c_str()));
        const std::vector<uint8_t> bytes(source.begin(), source.end());
        const std::string path = libraryFolder_.Write(name + ".gs", bytes);
        folder_.Write("lib/" + name + ".gs", bytes);  // the library assets' own folder
        GSCompileLog log;
        const int errors = GSCompiler::CompileToFolder(path.c_str(), nullptr, {nativetest::InstalledScripts()}, &log);
        for (std::string line; log.Take(line);) ADD_FAILURE() << line;
        GSIncludeList::Clear();
        ASSERT_EQ(errors, 0);
        ASSERT_TRUE(GSMachine::Get().AddLibraryFolder(Kiv::PString(libraryFolder_.Path().c_str())));
        manager_.RegisterFactory(new GSOLibrarySpecFactory());
        gstest::LogLines().clear();
    }

    // A library spec of class className in the test library; the manager keeps it.
    GSOLibrarySpec* Spec(const KUID& kuid, const char* className, const char* plugin = nullptr,
                         bool parent = false) {
        ACSChunkRef config;
        config.SetNamedTagString("kind", "library");
        if (plugin) config.SetNamedTagString("native-plugin", plugin);
        if (parent) config.SetNamedTagInt(Kiv::PString("parent-context"), 1);
        auto* spec = static_cast<GSOLibrarySpec*>(
            manager_.CreateSpec(Kiv::PString(), folder_.Path().c_str(), "lib", config, kuid));
        spec->Scripts().SetScript(Kiv::PString(libraryName_.c_str()), Kiv::PString(className));
        specs_.emplace_back(SpecRef::Adopt(spec));
        return spec;
    }
    TestContext& NewContext(KodrinScriptContext* parent = nullptr, bool shared = false) {
        contexts_.push_back(std::make_unique<TestContext>(parent, shared));
        return *contexts_.back();
    }
    // Calls a function of the library's script taking no argument and answering an int.
    static int32_t CallInt(GSOLibrary* library, const char* signature) {
        GSSlot result{};
        EXPECT_TRUE(library->CallScript(signature, {}, &result)) << signature;
        return result.i;
    }
    static std::string LogText() {
        std::string text;
        for (const std::string& line : gstest::LogLines()) text += "\n  log: " + line;
        return text;
    }
    // Calls a function of the library's script taking no argument and answering a string.
    static std::string CallString(GSOLibrary* library, const char* signature) {
        GSSlot result{};
        EXPECT_TRUE(library->CallScript(signature, {}, &result)) << signature;
        auto* reference = static_cast<GSSlot*>(result.p);
        const GSString* string = NativeObjectAs<GSString>(reference);
        const std::string text = string ? std::string(string->View()) : std::string("<null>");
        GSReleaseReference(reference);
        return text;
    }
    static bool Logged(const std::string& text) {
        for (const std::string& line : gstest::LogLines())
            if (line.find(text) != std::string::npos) return true;
        return false;
    }

    gstest::ScratchFolder folder_;
    gstest::ScratchFolder libraryFolder_;
    SpecManager manager_;
    std::vector<SpecRef> specs_;
    std::vector<std::unique_ptr<TestContext>> contexts_;
    std::string libraryName_;
    int32_t liveBefore_ = 0;
};

}  // namespace librarytest
