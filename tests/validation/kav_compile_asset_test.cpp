// The script stage of a validation: the script-system set-up (asked by every asset), the asset's config and KUID it needs, and an asset without
// scripts passing. Errors are log entries of kind 3 without subject.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/results/results_log.h"
#include "validation/darodi/kav_compile_asset.h"
#include "validation/script_system_seam.h"
#include "validation/specs/gizmorix_spec.h"
#include "validation/specs/spec_factory.h"
#include "validation/specs/spec_manager.h"
#include "validation_test_support.h"

namespace {

std::vector<std::string> Compile(const char* asset) {
    ResultsLog log;
    const bool result = KAVCompileAsset("local", Kiv::File::Path(asset), log);
    std::vector<std::string> texts;
    for (const ResultsLogEntry& entry : log.Entries()) {
        EXPECT_EQ(entry.kind, ResultsLogKind::Error);
        EXPECT_TRUE(entry.subject.IsNull());
        texts.emplace_back(entry.text.View());
    }
    EXPECT_EQ(result, texts.empty()) << asset;
    return texts;
}

class KAVCompileAssetTest : public ::testing::Test {
  protected:
    KAVCompileAssetTest() {
        install.scriptSystem.answer = false;
        install.WriteLocalConfig("plain", "kuid <kuid:414100:5>\nkind \"scenery\"\n");
        install.WriteLocalConfig("nameless", "kind \"scenery\"\n");
    }
    validation_test::TestInstallation install;
};

TEST_F(KAVCompileAssetTest, AFailedSetUpFailsEveryAssetAndIsRetried) {
    const std::vector<std::string> failed{"KAVCompileAsset unable to initialise script system"};
    EXPECT_EQ(Compile("plain"), failed);
    EXPECT_EQ(Compile("plain"), failed);
    EXPECT_EQ(install.scriptSystem.calls, 2);
    install.scriptSystem.answer = true;
    EXPECT_EQ(Compile("plain"), std::vector<std::string>{});
    EXPECT_EQ(Compile("plain"), std::vector<std::string>{});
    EXPECT_EQ(install.scriptSystem.calls, 4);
    ValidationUpwardSeams::SetScriptSystem(nullptr);
    EXPECT_EQ(Compile("plain"), failed);
}

TEST_F(KAVCompileAssetTest, TheConfigAndItsKUIDAreNeeded) {
    install.scriptSystem.answer = true;
    EXPECT_EQ(Compile("missing"),
              std::vector<std::string>{"KAVCompileAsset unable to load asset config"});
    EXPECT_EQ(Compile("nameless"),
              std::vector<std::string>{"KAVCompileAsset unable to determine asset KUID"});
}

// A factory of the asset's kind that makes specs without scripts.
class PlainSpecFactory : public GZSpecFactory {
  public:
    PlainSpecFactory() : GZSpecFactory(Kiv::PString("scenery")) {}
    GizmorixSpec* Create(const Kiv::PString& location, const Kiv::String& basePath,
                         const Kiv::String& folderName, const KUID& kuid,
                         const ACSChunkRef& config) override {
        return new GizmorixSpec(kuid, location, basePath, folderName, config);
    }
};

// The spec comes from the spec manager: an asset whose kind's factory makes no scripted
// spec is not compiled, and the script factory is the default only during the stage.
TEST_F(KAVCompileAssetTest, OnlyAScriptedSpecIsCompiled) {
    install.scriptSystem.answer = true;
    SpecManager* manager = SpecManager::Instance();
    ASSERT_NE(manager, nullptr);
    PlainSpecFactory plain;
    manager->RegisterFactory(&plain);
    EXPECT_EQ(Compile("plain"), std::vector<std::string>{"Failed to load asset for compilation"});
    manager->UnregisterFactory(&plain);
    EXPECT_EQ(Compile("plain"), std::vector<std::string>{});
    EXPECT_EQ(manager->GetDefaultFactory(), nullptr);
}

} // namespace
