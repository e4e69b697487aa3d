// The spec access the natives use in place: scripted specs of the process's spec manager,
// their uses and config, and the locally-modified answer (a failed query counts as
// modified).
#include <gtest/gtest.h>

#include "script_natives/native_spec_access.h"
#include "validation/specs/kodrin_base_spec.h"
#include "validation/specs/spec_manager.h"

namespace {

TEST(NativeSpecAccessTest, WithoutAManagerNoSpecIsFound) {
    ASSERT_EQ(SpecManager::Instance(), nullptr);
    EXPECT_EQ(NativeSpecs().GetKodrinBaseSpec(KUID(414100, 7, 0)), nullptr);
}

TEST(NativeSpecAccessTest, UsesConfigAndModifiedReachTheScriptedSpec) {
    SpecManager manager;
    ACSChunkRef config;
    config.SetNamedTagString("kind", "scenery");
    config.SetNamedTagString("username", "Lamp");
    auto* spec = dynamic_cast<KodrinBaseSpec*>(
        manager.CreateSpec(Kiv::PString(), "", "lamp", config, KUID(414100, 7, 0)));
    ASSERT_NE(spec, nullptr);
    NativeSpecAccess& access = NativeSpecs();
    access.AddUse(spec);
    EXPECT_EQ(spec->GetUseCount(), 2);
    EXPECT_EQ(access.GetConfig(spec).GetNamedTag(Kiv::PString("username")).ToPString(),
              Kiv::PString("Lamp"));
    // No daemon answers here: the failed query counts as modified.
    EXPECT_TRUE(access.IsLocallyModified(spec));
    access.ReleaseUse(spec);
    EXPECT_EQ(spec->GetUseCount(), 1);
    spec->Release();
    manager.Destroy();
}

}  // namespace
