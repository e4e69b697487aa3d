// Library specs: the factory of the kind "library" makes them, they read their plug-in name
// and parent-context flag from the config, reset their script to the installed Library
// class, and make library objects only through the maker the script natives install.
#include <gtest/gtest.h>

#include "script_runtime/gs_object.h"
#include "validation/specs/gso_library_spec.h"
#include "validation/specs/spec_lookup.h"
#include "validation/specs/spec_manager.h"

namespace {

GSOLibrarySpec* g_madeFor = nullptr;

GSObject* RecordingMaker(GSOLibrarySpec& spec, GSContext*) {
    g_madeFor = &spec;
    return nullptr;
}

class GSOLibrarySpecTest : public ::testing::Test {
  protected:
    ~GSOLibrarySpecTest() override {
        GSOLibrarySpec::SetInstanceMaker(nullptr);
        manager_.Destroy();
    }
    GizmorixSpec* Create(const char* kind, const char* plugin, const char* parent) {
        ACSChunkRef config;
        config.SetNamedTagString("kind", kind);
        if (plugin) config.SetNamedTagString("native-plugin", plugin);
        if (parent) config.SetNamedTagString("parent-context", parent);
        return manager_.CreateSpec(Kiv::PString(), "/assets", "lib", config, KUID(5, 6, 0));
    }

    SpecManager manager_;
};

TEST_F(GSOLibrarySpecTest, TheLibraryFactoryMakesLibrarySpecsFromTheirConfig) {
    GizmorixSpec* plain = Create("library", nullptr, nullptr);
    EXPECT_FALSE(IsLibrarySpec(plain)) << "no factory of the program makes one";
    plain->Release();

    manager_.RegisterFactory(new GSOLibrarySpecFactory());
    struct Case {
        const char* kind;
        const char* plugin;
        const char* parent;
        const char* pluginName;
        bool usesParent;
    };
    const Case cases[] = {
        {"Library", "net", "1", "net", true},
        {"library", nullptr, "0", "", false},
        {"library", "", nullptr, "", false},
    };
    for (const Case& c : cases) {
        GizmorixSpec* spec = Create(c.kind, c.plugin, c.parent);
        ASSERT_TRUE(IsLibrarySpec(spec)) << c.kind;
        auto* library = static_cast<GSOLibrarySpec*>(spec);
        EXPECT_TRUE(IsKodrinBaseSpec(spec));
        EXPECT_EQ(library->GetNativePluginName(), Kiv::PString(c.pluginName));
        EXPECT_EQ(library->UsesParentContext(), c.usesParent);
        spec->Release();
    }
    GizmorixSpec* other = Create("scenery", "net", nullptr);
    EXPECT_FALSE(IsLibrarySpec(other));
    other->Release();
}

TEST_F(GSOLibrarySpecTest, ResetScriptNamesTheInstalledLibraryClass) {
    manager_.RegisterFactory(new GSOLibrarySpecFactory());
    auto* spec = static_cast<GSOLibrarySpec*>(Create("library", nullptr, nullptr));
    spec->ResetScript();
    EXPECT_EQ(spec->Scripts().GetScriptLibrary(), Kiv::PString("Library.gsl"));
    EXPECT_EQ(spec->Scripts().GetScriptClassName(), Kiv::PString("Library"));
    EXPECT_TRUE(spec->Scripts().IsSharedScript());

    EXPECT_EQ(spec->CreateInstance(nullptr), nullptr) << "no maker installed";
    GSOLibrarySpec::SetInstanceMaker(&RecordingMaker);
    g_madeFor = nullptr;
    EXPECT_EQ(spec->CreateInstance(nullptr), nullptr);
    EXPECT_EQ(g_madeFor, spec);
    spec->Release();
}

}  // namespace
